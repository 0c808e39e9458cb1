// The profile reader over any file: a read never returns more than the buffer holds,
// never half a double-byte character, and always a prefix of the stored value (or of the
// default when nothing is stored).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "formats/profile_engine.h"
#include "fuzz/fuzz_check.h"

namespace {

bool IsLead(char c) {
  const auto b = static_cast<unsigned char>(c);
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Whether `prefix` of `whole` ends on a character boundary of `whole`.
bool EndsOnBoundary(std::string_view whole, std::size_t prefix) {
  std::size_t i = 0;
  while (i < prefix) i += IsLead(whole[i]) && i + 1 < whole.size() ? 2 : 1;
  return i == prefix;
}

// `s` without the spaces at its end; a space that is the second byte of a double-byte
// character is part of that character and stays.
std::string_view WithoutTrailingSpaces(std::string_view s) {
  std::size_t end = 0;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t length = IsLead(s[i]) && i + 1 < s.size() ? 2 : 1;
    if (length == 2 || s[i] != ' ') end = i + length;
    i += length;
  }
  return s.substr(0, end);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zorvane;
  FuzzedDataProvider in(data, size);
  const std::string section = in.ConsumeRandomLengthString(40);
  const std::string key = in.ConsumeRandomLengthString(40);
  const std::string default_value = in.ConsumeRandomLengthString(40);
  const auto buffer = in.ConsumeIntegralInRange<std::uint32_t>(0, 300);
  const std::string file = in.ConsumeRemainingBytesAsString();

  const auto found = profile::FindValue(file, section, key);
  const std::string read = profile::ReadString(file, section, key, default_value, buffer);
  if (buffer == 0) {
    FUZZ_CHECK(read.empty());
    return 0;
  }
  FUZZ_CHECK(read.size() <= buffer - 1);
  const std::string_view whole = found ? *found : WithoutTrailingSpaces(default_value);
  FUZZ_CHECK(whole.substr(0, read.size()) == read);
  FUZZ_CHECK(EndsOnBoundary(whole, read.size()));
  // Only the buffer cuts: one character more would not have fitted.
  if (read.size() < whole.size()) {
    const std::size_t next = IsLead(whole[read.size()]) && read.size() + 1 < whole.size() ? 2 : 1;
    FUZZ_CHECK(read.size() + next > buffer - 1);
  }
  // A buffer as large as the file reads the whole value.
  const std::string full = profile::ReadString(file, section, key, default_value,
                                               static_cast<std::uint32_t>(file.size() + 64));
  FUZZ_CHECK(full == whole);
  return 0;
}
