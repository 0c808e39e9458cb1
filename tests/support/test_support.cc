#include "tests/support/test_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

namespace zorvane::testing {

TempDir::TempDir() {
  std::random_device random;
  const auto base = std::filesystem::temp_directory_path();
  for (;;) {
    path_ = base / ("zorvane-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(path_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Tests may leave folders read-only; make them writable so they can be removed.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
  }
  std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempDir::Write(const std::string& relative, std::string_view bytes) const {
  const std::filesystem::path file = path_ / std::filesystem::u8path(relative);
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return file;
}

std::string TempDir::Read(const std::string& relative) const {
  std::ifstream in(path_ / std::filesystem::u8path(relative), std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
  const char* old = std::getenv(name);
  had_value_ = old != nullptr;
  if (had_value_) old_value_ = old;
  setenv(name, value.c_str(), 1);
}

ScopedEnv::ScopedEnv(const char* name) : name_(name) {
  const char* old = std::getenv(name);
  had_value_ = old != nullptr;
  if (had_value_) old_value_ = old;
  unsetenv(name);
}

ScopedEnv::~ScopedEnv() {
  if (had_value_) {
    setenv(name_.c_str(), old_value_.c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

void RecordingView::Refresh(const Form1State& state) { refreshes.push_back(state); }

void RecordingView::ShowMessage(const std::string& text, MessageKind kind) {
  messages.push_back(text);
  kinds.push_back(kind);
}

void RecordingView::DoEvents() {
  ++yield_count;
  if (on_yield) on_yield();
}

std::string ShortcutBytes(std::string_view ansi_url) {
  return "[InternetShortcut]\r\nURL=" + std::string(ansi_url) + "\r\n";
}

std::string RegistryStoreNaming(const std::string& favorites, bool expandable) {
  std::string escaped;
  for (char c : favorites) {
    if (c == '\\' || c == '"') escaped += '\\';
    escaped += c;
  }
  std::ostringstream reg;
  reg << "Windows Registry Editor Version 5.00\r\n\r\n"
      << "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User "
         "Shell Folders]\r\n";
  if (!expandable) {
    reg << "\"Favorites\"=\"" << escaped << "\"\r\n";
  } else {
    // REG_EXPAND_SZ as exports write it: UTF-16LE bytes with the terminating NUL. Only
    // ASCII paths are needed by the tests.
    reg << "\"Favorites\"=hex(2):";
    for (char c : favorites) {
      char byte[8];
      std::snprintf(byte, sizeof(byte), "%02x,00,", static_cast<unsigned char>(c));
      reg << byte;
    }
    reg << "00,00";
    reg << "\r\n";
  }
  reg << "\r\n";
  return reg.str();
}

}  // namespace zorvane::testing
