// Read-modify-write of profile files: what a write stores reads back exactly; entries of
// other sections and other keys stay as they read before; a batch write leaves the same
// bytes as one write per entry.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "formats/profile_engine.h"
#include "fuzz/fuzz_check.h"

namespace {

std::string AsciiLower(std::string_view s) {
  std::string lower(s);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\v'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// Plain ASCII names without "=": the ones whose matching this check can predict without
// the code page's rules.
bool IsPlainName(std::string_view s) {
  for (char c : s) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b >= 0x7F || c == '=' || c == '[' || c == ']' || c == ';') return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zorvane;
  FuzzedDataProvider in(data, size);
  const std::string section = in.ConsumeRandomLengthString(24);
  const std::string key = in.ConsumeRandomLengthString(24);
  const std::string value = in.ConsumeRandomLengthString(48);
  const std::string other_section = in.ConsumeRandomLengthString(24);
  const std::string other_key = in.ConsumeRandomLengthString(24);
  std::vector<std::pair<std::string, std::string>> batch;
  const int batch_size = in.ConsumeIntegralInRange(0, 4);
  for (int i = 0; i < batch_size; ++i) {
    std::string k = in.ConsumeRandomLengthString(16);
    batch.emplace_back(std::move(k), in.ConsumeRandomLengthString(24));
  }
  const std::string file = in.ConsumeRemainingBytesAsString();

  const bool can_write = profile::CanWrite(section, key, value);
  const auto written = profile::WriteString(file, section, key, value);
  FUZZ_CHECK(written.has_value() == can_write);
  if (written) {
    // What was written reads back, whatever the file held before.
    const auto back = profile::FindValue(*written, section, key);
    FUZZ_CHECK(back.has_value() && *back == value);
    // Writing the same again changes nothing.
    const auto again = profile::WriteString(*written, section, key, value);
    FUZZ_CHECK(again && *again == *written);
    // Other sections, and other keys of this one, read as before.
    const std::string_view other_key_name = Trim(other_key);
    const std::string_view key_name = Trim(key);
    const bool same_section = AsciiLower(Trim(other_section)) == AsciiLower(Trim(section));
    if (IsPlainName(other_key_name) && IsPlainName(Trim(other_section)) &&
        IsPlainName(Trim(section)) &&
        (!same_section ||
         AsciiLower(other_key_name) != AsciiLower(Trim(key_name.substr(0, key_name.find('=')))))) {
      FUZZ_CHECK(profile::FindValue(file, other_section, other_key) ==
                 profile::FindValue(*written, other_section, other_key));
    }
  }

  // A batch leaves what one write per entry, in order, would leave.
  bool all_written = false;
  const std::string batched = profile::WriteStrings(file, section, batch, &all_written);
  std::string one_by_one = file;
  bool each_written = true;
  for (const auto& [k, v] : batch) {
    if (auto next = profile::WriteString(one_by_one, section, k, v)) {
      one_by_one = std::move(*next);
    } else {
      each_written = false;
    }
  }
  FUZZ_CHECK(batched == one_by_one);
  FUZZ_CHECK(all_written == each_written);
  return 0;
}
