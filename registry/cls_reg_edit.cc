#include "registry/cls_reg_edit.h"

#include <algorithm>
#include <string_view>

namespace zorvane {

clsRegEdit::clsRegEdit(Platform& platform) : platform_(platform) {}

bool clsRegEdit::Open(ScopedRegKey* key) {
  return key->Open(reg_key_, sub_key_, kKeyAccess) == kErrorSuccess;
}

bool clsRegEdit::Create(ScopedRegKey* key) {
  return key->Create(reg_key_, sub_key_, kKeyAccess) == kErrorSuccess;
}

std::int32_t clsRegEdit::EnumNames(bool values, std::vector<std::string>* names) {
  ScopedRegKey key(platform_);
  if (!Open(&key)) return 0;
  std::uint32_t index = 0;
  while (true) {
    std::string name;
    const long status = values ? platform_.RegEnumValue(key.get(), index, kNameBufferSize, &name)
                               : platform_.RegEnumKey(key.get(), index, kNameBufferSize, &name);
    if (status != kErrorSuccess) break;
    names->resize(index + 1);
    (*names)[index] = std::move(name);
    ++index;
  }
  return static_cast<std::int32_t>(index);
}

std::int32_t clsRegEdit::EnumValueName(std::vector<std::string>* strlpEnumValueName) {
  return EnumNames(true, strlpEnumValueName);
}

std::int32_t clsRegEdit::EnumSubKey(std::vector<std::string>* strlpEnumKey) {
  return EnumNames(false, strlpEnumKey);
}

bool clsRegEdit::DeleteSubKey(const std::string& strSubKey) {
  ScopedRegKey key(platform_);
  if (!Open(&key)) return false;
  const bool deleted = platform_.RegDeleteKey(key.get(), strSubKey) == kErrorSuccess;
  return deleted;
}

bool clsRegEdit::DeleteValueName(const std::string& strValueName) {
  ScopedRegKey key(platform_);
  if (!Open(&key)) return false;
  const bool deleted = platform_.RegDeleteValue(key.get(), strValueName) == kErrorSuccess;
  return deleted;
}

std::string clsRegEdit::GetString(const std::string& strValueName, const std::string& strDefault) {
  ScopedRegKey key(platform_);
  if (!Open(&key)) return strDefault;
  std::string result = strDefault;
  std::vector<std::uint8_t> buffer(kTextBufferSize, 0);
  std::uint32_t type = kRegSz;
  std::uint32_t size = kTextBufferSize;
  if (platform_.RegQueryValue(key.get(), strValueName, &type, buffer.data(), &size) ==
      kErrorSuccess) {
    const auto end = std::find(buffer.begin(), buffer.end(), 0);
    result = platform_.FromAnsi(std::string_view(reinterpret_cast<const char*>(buffer.data()),
                                                 static_cast<std::size_t>(end - buffer.begin())));
  }
  return result;
}

bool clsRegEdit::SetValue(const std::string& name, std::uint32_t type, const std::uint8_t* data,
                          std::uint32_t size) {
  ScopedRegKey key(platform_);
  if (!Create(&key)) return false;
  const bool written = platform_.RegSetValue(key.get(), name, type, data, size) == kErrorSuccess;
  return written;
}

bool clsRegEdit::SetString(const std::string& strValueName, const std::string& strNewValue) {
  const std::string ansi = platform_.ToAnsi(strNewValue);
  return SetValue(strValueName, kRegSz, reinterpret_cast<const std::uint8_t*>(ansi.data()),
                  static_cast<std::uint32_t>(ansi.size()));
}

std::int32_t clsRegEdit::GetDWORD(const std::string& strValueName, std::int32_t lngDefault) {
  ScopedRegKey key(platform_);
  if (!Open(&key)) return lngDefault;
  std::int32_t result = lngDefault;
  std::uint8_t buffer[4] = {0, 0, 0, 0};
  std::uint32_t type = kRegDword;
  std::uint32_t size = sizeof buffer;
  if (platform_.RegQueryValue(key.get(), strValueName, &type, buffer, &size) == kErrorSuccess) {
    const std::uint32_t bits = buffer[0] | (buffer[1] << 8) | (buffer[2] << 16) |
                               (static_cast<std::uint32_t>(buffer[3]) << 24);
    result = static_cast<std::int32_t>(bits);
  }
  return result;
}

bool clsRegEdit::SetDWORD(const std::string& strValueName, std::int32_t lngNewValue) {
  const auto bits = static_cast<std::uint32_t>(lngNewValue);
  const std::uint8_t bytes[4] = {
      static_cast<std::uint8_t>(bits & 0xFF), static_cast<std::uint8_t>((bits >> 8) & 0xFF),
      static_cast<std::uint8_t>((bits >> 16) & 0xFF), static_cast<std::uint8_t>(bits >> 24)};
  return SetValue(strValueName, kRegDword, bytes, sizeof bytes);
}

std::int32_t clsRegEdit::GetBinary(const std::string& strValueName,
                                   std::vector<std::uint8_t>* bytValue) {
  ScopedRegKey key(platform_);
  if (!Open(&key)) return 0;
  bytValue->assign(kBinaryBufferSize + 1, 0);
  std::uint32_t type = kRegBinary;
  std::uint32_t size = kBinaryBufferSize;
  std::int32_t count = 0;
  if (platform_.RegQueryValue(key.get(), strValueName, &type, bytValue->data(), &size) ==
      kErrorSuccess) {
    bytValue->resize(size);
    count = static_cast<std::int32_t>(size);
  } else {
    bytValue->clear();
  }
  return count;
}

bool clsRegEdit::SetBinary(const std::string& strValueName,
                           const std::vector<std::uint8_t>& bytValue, std::int32_t lngValueLen) {
  ScopedRegKey key(platform_);
  if (!Create(&key)) return false;
  bool written = false;
  // A length the array cannot back would read past its end: nothing is written then.
  if (!bytValue.empty() && lngValueLen >= 0 &&
      static_cast<std::size_t>(lngValueLen) <= bytValue.size()) {
    written = platform_.RegSetValue(key.get(), strValueName, kRegBinary, bytValue.data(),
                                    static_cast<std::uint32_t>(lngValueLen)) == kErrorSuccess;
  }
  return written;
}

}  // namespace zorvane
