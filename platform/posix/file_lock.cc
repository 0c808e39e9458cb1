#include "platform/posix/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <utility>

#include "platform/posix/atomic_file.h"

namespace zorvane::posix {
namespace {

class FlockLock final : public Platform::FileLock {
 public:
  explicit FlockLock(int fd) : fd_(fd) {}
  int fd() const { return fd_.get(); }
  bool valid() const { return fd_.valid(); }

 private:
  UniqueFd fd_;  // closing the descriptor releases the lock
};

}  // namespace

Platform::LockResult TryLockFile(const std::string& path, Platform::LockMode mode, bool create,
                                 std::unique_ptr<Platform::FileLock>* lock) {
  lock->reset();
  if (path.empty()) return Platform::LockResult::kFailed;
  // O_NOFOLLOW: a link put in the lock file's place is not a lock file.
  const int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0);
  auto held = std::make_unique<FlockLock>(::open(path.c_str(), flags, 0666));
  if (!held->valid()) return Platform::LockResult::kFailed;
  const int operation = (mode == Platform::LockMode::kExclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
  while (::flock(held->fd(), operation) != 0) {
    if (errno == EWOULDBLOCK) return Platform::LockResult::kBusy;
    if (errno != EINTR) return Platform::LockResult::kFailed;
  }
  *lock = std::move(held);
  return Platform::LockResult::kLocked;
}

}  // namespace zorvane::posix
