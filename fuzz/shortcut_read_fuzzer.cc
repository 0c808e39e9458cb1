// Reading the address of an Internet shortcut as the catalogue build does: ReadIniString
// over the platform's profile functions, on a real file. The address is the stored value,
// decoded, cut at the first NUL, never longer than the buffer allows; a buffer larger
// than the file reads the whole of it.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "catalogue/profile_access.h"
#include "formats/profile_engine.h"
#include "fuzz/fuzz_check.h"
#include "platform/platform.h"
#include "platform/posix/cp932.h"

namespace {

// One file per fuzzing process, rewritten for each input and removed at exit.
class ScratchFile final {
 public:
  ScratchFile()
      : path_((std::filesystem::temp_directory_path() /
               ("zorvane-fuzz-shortcut-" + std::to_string(std::random_device{}()) + ".url"))
                  .string()) {}
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const std::string& ShortcutPath() {
  static const ScratchFile file;
  return file.path();
}

std::string Decoded(std::string_view ansi) {
  const std::string utf8 = zorvane::cp932::ToUtf8(ansi);
  return utf8.substr(0, utf8.find('\0'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zorvane;
  static const std::unique_ptr<Platform> platform = CreateDefaultPlatform();
  FuzzedDataProvider in(data, size);
  const auto buffer = in.ConsumeIntegralInRange<std::uint32_t>(0, 200);
  const std::string file = in.ConsumeRemainingBytesAsString();
  {
    std::ofstream out(ShortcutPath(), std::ios::binary | std::ios::trunc);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
  }

  const std::string address =
      ReadIniString(*platform, "InternetShortcut", "URL", buffer, ShortcutPath());
  FUZZ_CHECK(fuzz::IsUtf8(address));
  FUZZ_CHECK(address.find('\0') == std::string::npos);
  const std::string raw = profile::ReadString(file, "InternetShortcut", "URL", "", buffer);
  FUZZ_CHECK(buffer == 0 ? raw.empty() : raw.size() < buffer);
  FUZZ_CHECK(address == Decoded(raw));

  // A buffer larger than the file reads the whole value.
  const auto stored = profile::FindValue(file, "InternetShortcut", "URL");
  const std::string whole =
      ReadIniString(*platform, "InternetShortcut", "URL",
                    static_cast<std::uint32_t>(file.size() + 2), ShortcutPath());
  FUZZ_CHECK(whole == (stored ? Decoded(*stored) : std::string()));
  return 0;
}
