// The words of the Windows calls that every layer speaks: error codes, registry roots,
// types and handles, file attribute bits, how a whole-file read ended. The platforms
// report with them, and the pure engines below the platforms (formats/) answer with them.
#pragma once

#include <cstdint>

namespace zorvane {

// Windows error codes; every platform reports registry results with these.
inline constexpr long kErrorSuccess = 0;
inline constexpr long kErrorFileNotFound = 2;
inline constexpr long kErrorAccessDenied = 5;
inline constexpr long kErrorInvalidHandle = 6;
inline constexpr long kErrorWriteFault = 29;
inline constexpr long kErrorInvalidParameter = 87;
inline constexpr long kErrorMoreData = 234;
inline constexpr long kErrorNoMoreItems = 259;

// Predefined registry roots.
inline constexpr std::uint32_t kHkeyCurrentUser = 0x80000001;
inline constexpr std::uint32_t kHkeyLocalMachine = 0x80000002;

// Registry value types.
inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;

// File attribute bits (Windows values; the POSIX platform maps onto them).
inline constexpr std::uint32_t kFileAttributeReadOnly = 0x1;
inline constexpr std::uint32_t kFileAttributeHidden = 0x2;
inline constexpr std::uint32_t kFileAttributeSystem = 0x4;
inline constexpr std::uint32_t kFileAttributeDirectory = 0x10;
inline constexpr std::uint32_t kFileAttributeNormal = 0x80;
inline constexpr std::uint32_t kFileAttributeReparsePoint = 0x400;
inline constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFF;

// An open registry key; 0 is never a valid handle.
using RegHandle = std::uintptr_t;

// How a whole-file read ended.
enum class FileRead { kRead, kMissing, kFailed };

}  // namespace zorvane
