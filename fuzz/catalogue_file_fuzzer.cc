// url.dat as the ranking reads it: any bytes give one entry per line, no entry holds a
// line break, and together the entries are the whole text less its line breaks. A
// catalogue written by the build reads back as its records plus the closing empty entry.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/catalogue_file.h"
#include "fuzz/fuzz_check.h"
#include "platform/posix/cp932.h"
#include "ranking/ranking.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zorvane;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // As the ranking reads the file: decoded from the ANSI code page, then split.
  const std::string text = cp932::ToUtf8(bytes);
  const std::vector<std::string> entries = ReadCatalogueEntries(text);
  std::size_t breaks = 0;
  std::string without_breaks;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      ++breaks;
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      without_breaks.push_back(text[i]);
    }
  }
  const bool open_last_line = !text.empty() && text.back() != '\r' && text.back() != '\n';
  FUZZ_CHECK(entries.size() == breaks + (open_last_line ? 1 : 0));
  std::string joined;
  for (const std::string& entry : entries) {
    FUZZ_CHECK(entry.find_first_of("\r\n") == std::string::npos);
    joined += entry;
  }
  FUZZ_CHECK(joined == without_breaks);

  // Records the build could write (no line breaks) come back in order.
  FuzzedDataProvider in(data, size);
  std::vector<std::string> records;
  CatalogueText catalogue;
  while (in.remaining_bytes() > 0 && records.size() < 64) {
    std::string record = in.ConsumeRandomLengthString(80);
    if (record.find_first_of("\r\n") != std::string::npos) continue;
    catalogue.AppendRecord(record);
    records.push_back(std::move(record));
  }
  const std::vector<std::string> read_back =
      ReadCatalogueEntries(cp932::ToUtf8(catalogue.FileBytes()));
  FUZZ_CHECK(read_back.size() == records.size() + 1);
  for (std::size_t i = 0; i < records.size(); ++i) {
    FUZZ_CHECK(read_back[i] == cp932::ToUtf8(records[i]));
  }
  FUZZ_CHECK(read_back.back().empty());
  return 0;
}
