// Helpers shared by the tests: temporary folders, a Form1 view that records what it is
// shown, and a registry store that points the Favorites folder somewhere.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/form1.h"

namespace zorvane::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir final {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  // Writes `bytes` to `relative` below this folder, creating the folders above it.
  std::filesystem::path Write(const std::string& relative, std::string_view bytes) const;
  // The whole content of `relative`, or "<missing>" when it cannot be read.
  std::string Read(const std::string& relative) const;

 private:
  std::filesystem::path path_;
};

// Sets an environment variable for the lifetime of the object, then restores it.
class ScopedEnv final {
 public:
  ScopedEnv(const char* name, const std::string& value);
  // Unsets `name` for the lifetime of the object.
  explicit ScopedEnv(const char* name);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  bool had_value_;
  std::string old_value_;
};

// A view that records every message box and counts refreshes and yields. A hook run
// on each yield lets a test act while a command is in the middle of its work.
class RecordingView final : public Form1View {
 public:
  void Refresh(const Form1State& state) override;
  void ShowMessage(const std::string& text, MessageKind kind) override;
  void DoEvents() override;
  void CloseMainWindow() override { ++close_count; }
  void ShowAboutBox() override { ++about_count; }

  std::vector<std::string> messages;
  std::vector<MessageKind> kinds;
  std::vector<Form1State> refreshes;  // the state at each refresh
  int yield_count = 0;
  int close_count = 0;
  int about_count = 0;
  std::function<void()> on_yield;
};

// The bytes of an Internet shortcut holding `url_line` ("URL=..." or anything else).
std::string ShortcutBytes(std::string_view ansi_url);

// A registry store (.reg text) whose Favorites value is `favorites` with type 1 (REG_SZ),
// or type 2 when `expandable`.
std::string RegistryStoreNaming(const std::string& favorites, bool expandable = false);

}  // namespace zorvane::testing
