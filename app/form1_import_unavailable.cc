// Form1::ImportBookmarks in a build without the browser readers (the Windows build, until
// it links SQLite of its own): the command says so instead of pretending to look.
#include "app/form1.h"

#include <string>
#include <vector>

namespace zorvane {
namespace {

constexpr char kUnavailableMessage[] = "このビルドではブックマークを取り込めません";

}  // namespace

bool Form1::ImportBookmarks(const std::vector<std::string>& /*from*/,
                            const std::string& /*into*/) {
  view_.ShowMessage(kUnavailableMessage, MessageKind::kFailure);
  return false;
}

void Form1::mnuImportBookmarks_Click() { ImportBookmarks({}, ""); }

}  // namespace zorvane
