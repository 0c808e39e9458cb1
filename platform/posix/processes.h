// Programs started by the platform (the shell's openers, the System Information
// program), reaped so that none lingers as a zombie.
#pragma once

#include <sys/types.h>

#include <mutex>
#include <string>
#include <vector>

namespace zorvane::posix {

// Programs started and not yet reaped. They are reaped without waiting whenever another
// is started, so none lingers as a zombie for long.
class Children final {
 public:
  Children() = default;
  ~Children();
  Children(const Children&) = delete;
  Children& operator=(const Children&) = delete;

  // Starts `program` (looked up in PATH unless it holds "/") with `args`, in a session of
  // its own; returns 0 or the error that kept it from starting.
  int Spawn(const std::string& program, const std::vector<std::string>& args);

 private:
  void ReapFinishedLocked();

  std::mutex mutex_;
  std::vector<pid_t> pids_;
};

}  // namespace zorvane::posix
