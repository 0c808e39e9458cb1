#include "platform/posix/processes.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>

extern char** environ;

namespace zorvane::posix {

int Children::Spawn(const std::string& program, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  posix_spawnattr_t attr;
  ::posix_spawnattr_init(&attr);
  sigset_t none;
  sigemptyset(&none);
  ::posix_spawnattr_setsigmask(&attr, &none);
  // A session of its own: closing the terminal or Ctrl+C here leaves it running.
  ::posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK);
  pid_t pid = 0;
  const int error = ::posix_spawnp(&pid, program.c_str(), nullptr, &attr, argv.data(), environ);
  ::posix_spawnattr_destroy(&attr);

  std::lock_guard<std::mutex> lock(mutex_);
  ReapFinishedLocked();
  if (error == 0) pids_.push_back(pid);
  return error;
}

Children::~Children() {
  std::lock_guard<std::mutex> lock(mutex_);
  ReapFinishedLocked();
}

void Children::ReapFinishedLocked() {
  std::erase_if(pids_, [](pid_t pid) {
    int status = 0;
    const pid_t result = ::waitpid(pid, &status, WNOHANG);
    return result == pid || (result < 0 && errno == ECHILD);
  });
}

}  // namespace zorvane::posix
