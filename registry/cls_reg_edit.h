// clsRegEdit: reads and writes the values of one registry key through the platform's nine
// registry operations. The instance holds a root (`RegKey`) and a key path below it
// (`SubKey`); every other member opens that key, does one thing and closes it again, so
// no key stays open between calls. Failures never surface as errors: reads give the
// caller's default (or 0 and an empty array), writes and deletions give false.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace zorvane {

class clsRegEdit final {
 public:
  // Rights asked for on every open and create, also by members that only read: the six
  // key-specific rights. A key the user may read but not change therefore reads as
  // missing.
  static constexpr std::uint32_t kKeyAccess = 0x3F;
  static constexpr std::uint32_t kTextBufferSize = 4096;
  static constexpr std::uint32_t kBinaryBufferSize = 4096;
  static constexpr std::uint32_t kNameBufferSize = 80;

  explicit clsRegEdit(Platform& platform);
  clsRegEdit(const clsRegEdit&) = delete;
  clsRegEdit& operator=(const clsRegEdit&) = delete;

  // The predefined root, e.g. kHkeyCurrentUser; 0 until set; not validated.
  std::uint32_t RegKey() const { return reg_key_; }
  void SetRegKey(std::uint32_t enmNewValue) { reg_key_ = enmNewValue; }
  // The key path below the root, parts separated by backslashes; "" is the root itself.
  const std::string& SubKey() const { return sub_key_; }
  void SetSubKey(std::string strNewValue) { sub_key_ = std::move(strNewValue); }

  // The key's value names (the default value as ""), in the platform's order, stored at
  // indices 0...n-1 of the array, which then has exactly n entries; returns n. The walk
  // stops at the first name that needs 80 bytes or more. With no name stored (key
  // missing or empty) the array is left as it was.
  std::int32_t EnumValueName(std::vector<std::string>* strlpEnumValueName);
  // The same for the key's sub-key names.
  std::int32_t EnumSubKey(std::vector<std::string>* strlpEnumKey);

  // Deletes the named sub-key (the platform decides whether one with sub-keys of its own
  // can go) or value. True when it was deleted.
  bool DeleteSubKey(const std::string& strSubKey);
  bool DeleteValueName(const std::string& strValueName);

  // The value's bytes up to the first NUL, as text; `strDefault` when the key or value
  // is missing or the data needs more than 4096 bytes. The type is not looked at: a
  // type-2 text comes back unexpanded. Data of exactly 4096 bytes without a NUL is read
  // whole and comes back as text: nothing of it was lost.
  std::string GetString(const std::string& strValueName, const std::string& strDefault);
  // Writes the text (without a NUL) with type 1, creating the key when missing.
  bool SetString(const std::string& strValueName, const std::string& strNewValue);

  // The value's first four bytes as a little-endian signed number, missing bytes as 0;
  // `lngDefault` when the key or value is missing or the data is longer than 4 bytes.
  std::int32_t GetDWORD(const std::string& strValueName, std::int32_t lngDefault);
  // Writes the number's four little-endian bytes with type 4, creating the key.
  bool SetDWORD(const std::string& strValueName, std::int32_t lngNewValue);

  // Reads the value's bytes into `bytValue` and returns their number. 0 with `bytValue`
  // untouched when the key is missing; 0 with `bytValue` emptied when the value is
  // missing or longer than 4096 bytes.
  std::int32_t GetBinary(const std::string& strValueName, std::vector<std::uint8_t>* bytValue);
  // Writes the first `lngValueLen` bytes of `bytValue` with type 3, creating the key.
  // False, with nothing written, when `bytValue` is empty or `lngValueLen` is negative or
  // larger than `bytValue`.
  bool SetBinary(const std::string& strValueName, const std::vector<std::uint8_t>& bytValue,
                 std::int32_t lngValueLen);

 private:
  bool Open(ScopedRegKey* key);
  bool Create(ScopedRegKey* key);
  std::int32_t EnumNames(bool values, std::vector<std::string>* names);
  bool SetValue(const std::string& name, std::uint32_t type, const std::uint8_t* data,
                std::uint32_t size);

  Platform& platform_;
  std::uint32_t reg_key_ = 0;
  std::string sub_key_;
};

}  // namespace zorvane
