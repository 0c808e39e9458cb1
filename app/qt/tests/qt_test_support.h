// Helpers for the window tests: one QApplication for the whole test program, a platform
// that records shell requests and program starts instead of performing them, and a
// message-box interceptor.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <QString>
#include <QStringList>

#include "platform/forwarding_platform.h"

namespace zorvane::testing {

// Creates the QApplication on first use (QT_QPA_PLATFORM=offscreen comes from the test
// registration). Call it before making any widget.
void EnsureQApplication();

// Forwards everything except the shell and program starts, which it records and answers
// with `accept_starts` / true. `on_profile_read` runs on every profile read and
// `on_cache_scan` when a cache enumeration starts, so a test can look at the window while
// a long command is in the middle of its work.
class RecordingPlatform final : public ForwardingPlatform {
 public:
  explicit RecordingPlatform(Platform* target) : ForwardingPlatform(target) {}

  bool ShellOpen(const std::string& operation, const std::string& file) override {
    shell_requests.emplace_back(operation, file);
    return true;
  }
  bool StartProgram(const std::string& command_line) override {
    started.push_back(command_line);
    return accept_starts;
  }
  void EnumerateUrlCache(std::uint32_t type_mask,
                         const std::function<bool(const UrlCacheEntry&)>& visit) override {
    if (on_cache_scan) on_cache_scan();
    ForwardingPlatform::EnumerateUrlCache(type_mask, visit);
  }
  std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                      const std::string& default_value, std::uint32_t size,
                                      const std::string& file) override {
    if (on_profile_read) on_profile_read(section);
    return ForwardingPlatform::GetPrivateProfileString(section, key, default_value, size, file);
  }

  std::vector<std::pair<std::string, std::string>> shell_requests;
  std::vector<std::string> started;
  bool accept_starts = true;
  std::function<void(const std::string& section)> on_profile_read;
  std::function<void()> on_cache_scan;
};

// Routes every message box to a list for the lifetime of the object.
class MessageBoxRecorder final {
 public:
  MessageBoxRecorder();
  ~MessageBoxRecorder();
  MessageBoxRecorder(const MessageBoxRecorder&) = delete;
  MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

  // The texts shown since the last call.
  QStringList Take();

 private:
  QStringList texts_;
};

}  // namespace zorvane::testing
