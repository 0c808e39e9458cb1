// Form1: start-up, closing and the small commands. The long commands live in their own
// files: form1_catalogue.cc, form1_ranking.cc and form1_share.cc.
#include "app/form1.h"

#include <utility>

#include "app/contact.h"

namespace zorvane {
namespace {

// The rows of the hidden entry-type selector: the URL cache's entry-type bits.
const ComboRow kEntryTypeRows[] = {
    {"Normal Entry", 0x1},  {"Edited Entry (IE5)", 0x8},   {"Offline Entry", 0x10},
    {"Online Entry", 0x20}, {"Stick Entry", 0x4},          {"Sparse Entry (n/a)", 0x10000},
    {"Cookies", 0x100000},  {"Visited History", 0x200000}, {"Default Filter", 0x300035},
};

constexpr int kReportView = 3;

}  // namespace

Form1::Form1(Platform& platform, std::string program_dir, Form1View& view)
    : platform_(platform), program_dir_(std::move(program_dir)), view_(view) {}

void Form1::Form_Load() {
  state_.combo1.clear();
  for (const ComboRow& row : kEntryTypeRows) state_.combo1.push_back(row);
  state_.combo1_list_index = 0;
  state_.list_view1_view = kReportView;
  Refresh();
}

void Form1::Command3_Click() { view_.CloseMainWindow(); }

void Form1::mnuExit_Click() { view_.CloseMainWindow(); }

void Form1::mnuFromFavotie_Click() { Command2_Click(); }

// The menu command of the same caption as the Ranking button runs the ranking too: a
// menu command that does nothing looks broken.
void Form1::mnuRanking_Click() { Command1_Click(); }

void Form1::mnuReadme_Click() { platform_.ShellOpen("open", platform_.ReadmeFile()); }

void Form1::Homepage_Click() { platform_.ShellOpen("Open", kHomepageAddress); }

void Form1::mnuVersion_Click() { view_.ShowAboutBox(); }

// A click on a column header leaves the rows in their ranking order.
void Form1::ListView1_ColumnClick(int /*column_index*/) {}

}  // namespace zorvane
