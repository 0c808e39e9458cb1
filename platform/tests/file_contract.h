// What the program relies on from a platform's files and folders, as one test suite that
// every platform runs: the POSIX platform in a temporary folder and the memory platform
// with either path rule here, the Win32 platform under Wine in the Windows build. The
// tests speak only to the Platform, inside a scratch folder the instantiation makes; the
// two things the seam cannot do (make a link, take the right to write a file away) come
// as hooks of the instantiation.
//
// Where the systems legitimately differ, a test states the rule for each path rule, never
// for a platform: whether names that differ only in case are one entry, which names are
// hidden, what the read-only bit says. Links are checked where the platform can make one.
//
// A platform instantiates it with
//   INSTANTIATE_TEST_SUITE_P(Name, FileContractTest,
//                            ::testing::Values(FileContractParam{"Name", kPosixPaths, make}),
//                            FileContractParamName);
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace zorvane::contract {

// How a platform spells and compares paths.
struct PathRule {
  char separator;
  // Names that differ only in ASCII letter case name one entry. This is also the Windows
  // rule for the attribute bits: "hidden" is a bit a file carries, never a name's form.
  bool ignore_case;
};
inline constexpr PathRule kPosixPaths{'/', false};
inline constexpr PathRule kWindowsPaths{'\\', true};

// The platform one test runs on, with an empty folder of its own.
struct FileWorld {
  std::unique_ptr<Platform> platform;
  std::string scratch;  // the folder, without a final separator
  // Removes the scratch folder with all it holds.
  std::function<void()> remove_scratch;
  // Takes the right to write the file `path` away as its system records that; true when
  // the platform now refuses to write it.
  std::function<bool(const std::string& path)> make_read_only;
  // Makes a symbolic link at `link` to `target` (a folder link with `folder`); false when
  // the platform cannot. Empty where it never can.
  std::function<bool(const std::string& target, const std::string& link, bool folder)> make_link;
};

struct FileContractParam {
  std::string name;
  PathRule rule;
  std::function<FileWorld()> make;
};

void PrintTo(const FileContractParam& param, std::ostream* out);
// The test name suffix for one instantiation: the platform's name.
std::string FileContractParamName(const ::testing::TestParamInfo<FileContractParam>& info);

class FileContractTest : public ::testing::TestWithParam<FileContractParam> {
 protected:
  void SetUp() override;
  void TearDown() override;

  Platform& platform() { return *world_.platform; }
  const PathRule& rule() const { return GetParam().rule; }

  // The path of `relative` ("/" between its names, "" for the folder itself) inside the
  // scratch folder, spelt with the rule's separator.
  std::string PathOf(std::string_view relative) const;
  // ReadFile's answer: "read " and the bytes, "missing" or "failed".
  std::string Read(std::string_view relative);
  // The bits of GetFileAttributes that the contract speaks of (folder, hidden, system,
  // read-only, link), or kInvalidFileAttributes.
  std::uint32_t Bits(std::string_view relative);
  // The names ListDirectory gives, in its order; {"<unlistable>"} when it fails.
  std::vector<std::string> Names(std::string_view relative = "");
  void Put(std::string_view relative, std::string_view bytes);
  void MakeFolder(std::string_view relative);
  // Takes the right to write the file away; true when the platform now refuses to.
  bool MakeReadOnly(std::string_view relative);
  // Makes a link at `link` to `target` (both relative); false where links cannot be made.
  bool MakeLink(std::string_view target, std::string_view link, bool folder);

 private:
  FileWorld world_;
};

}  // namespace zorvane::contract
