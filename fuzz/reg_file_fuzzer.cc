// The registry store's `.reg` text: any file parses without harm; what the serializer
// writes parses back without errors to the same blocks; a key tree loaded from a file
// and written back loads again to the same tree.
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/reg_file.h"
#include "formats/reg_tree.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zorvane;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const regfile::Document document = regfile::Parse(bytes);
  const std::string text = regfile::Serialize(document.blocks);
  const regfile::Document again = regfile::Parse(text);
  FUZZ_CHECK(again.errors.empty());
  FUZZ_CHECK(regfile::Serialize(again.blocks) == text);

  regtree::KeyTree tree({});
  tree.Load(document);
  const std::string saved = regfile::Serialize(tree.ToBlocks());
  regtree::KeyTree reloaded({});
  reloaded.Load(regfile::Parse(saved));
  FUZZ_CHECK(regfile::Serialize(reloaded.ToBlocks()) == saved);
  return 0;
}
