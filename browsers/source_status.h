// How reading one URL-cache or bookmark source ended, and the words that name it in a
// diagnostic line.
#pragma once

#include <string_view>

namespace zorvane::browsers {

enum class SourceStatus {
  kRead,         // read whole
  kMissing,      // no file of that name
  kUnreadable,   // not a regular file, or it could not be opened or copied
  kDamaged,      // a database or file that could not be read completely
  kUnknownKind,  // readable, but of no kind Zorvane reads
};

// The words a diagnostic line gives for `status`; "" for kRead.
inline std::string_view SourceStatusReason(SourceStatus status) {
  switch (status) {
    case SourceStatus::kRead:
      return "";
    case SourceStatus::kMissing:
      return "not found";
    case SourceStatus::kUnreadable:
      return "cannot be read";
    case SourceStatus::kDamaged:
      return "damaged or locked, skipped";
    case SourceStatus::kUnknownKind:
      return "not a kind of file Zorvane reads";
  }
  return "";
}

}  // namespace zorvane::browsers
