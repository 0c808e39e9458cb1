// Helpers for the browser history tests: a scratch folder that also receives the
// reader's private copies, databases built from SQL, and snapshots of files.
#pragma once

#include <sqlite3.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace zorvane::testing {

// The scratch folder of one test. TMPDIR points at its "tmp" subfolder meanwhile, so a
// test can see every private copy the reader makes and check that none is left.
class BrowserScratch : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "zorvane-browser-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    std::filesystem::create_directory(copies());
    if (const char* old = std::getenv("TMPDIR")) old_tmpdir_ = old;
    setenv("TMPDIR", copies().c_str(), 1);
  }

  void TearDown() override {
    EXPECT_TRUE(std::filesystem::is_empty(copies())) << "a private copy was left behind";
    if (old_tmpdir_) {
      setenv("TMPDIR", old_tmpdir_->c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
    std::error_code error;
    std::filesystem::remove_all(root_, error);
  }

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path copies() const { return root_ / "tmp"; }

 private:
  std::filesystem::path root_;
  std::optional<std::string> old_tmpdir_;
};

// Runs `sql` on a new or existing database and closes it; failures fail the test.
inline void RunSql(const std::filesystem::path& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* message = nullptr;
  int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
  EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "") << "\n" << sql;
  sqlite3_free(message);
  EXPECT_EQ(sqlite3_close(db), SQLITE_OK);
}

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// The content and modification time of a file, to show that it was left alone.
struct FileSnapshot {
  bool exists = false;
  std::string bytes;
  long long modified_ns = 0;

  static FileSnapshot Of(const std::filesystem::path& path) {
    FileSnapshot snapshot;
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) return snapshot;
    snapshot.exists = true;
    if (S_ISREG(info.st_mode)) snapshot.bytes = ReadBytes(path);
    snapshot.modified_ns = info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec;
    return snapshot;
  }
  bool operator==(const FileSnapshot&) const = default;
};

}  // namespace zorvane::testing
