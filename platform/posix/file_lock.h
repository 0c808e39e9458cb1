// Locks between processes on POSIX systems: flock on a lock file. Each lock opens the file
// anew, so two locks of one process conflict as two processes' do.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace zorvane::posix {

Platform::LockResult TryLockFile(const std::string& path, Platform::LockMode mode, bool create,
                                 std::unique_ptr<Platform::FileLock>* lock);

}  // namespace zorvane::posix
