#include "tests/wine/url_cache_filler.h"

#include <charconv>

#include "platform/win32/win32_text.h"
#include "platform/win32/windows_include.h"

namespace zorvane::wine {
namespace {

// The type bits a container adds by itself; the entry is committed without them.
constexpr std::uint32_t kContainerBits = COOKIE_CACHE_ENTRY | URLHISTORY_CACHE_ENTRY;

bool ParseNumber(std::string_view text, std::uint32_t* value) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  const auto result = std::from_chars(text.data(), text.data() + text.size(), *value, base);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// Asks the cache for a file name for `address` and puts a few bytes into that file.
bool CreateLocalFile(const std::string& address, char (&local_file)[MAX_PATH]) {
  if (!::CreateUrlCacheEntryA(address.c_str(), 0, "htm", local_file, 0)) return false;
  HANDLE file = ::CreateFileA(local_file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = ::WriteFile(file, "<html></html>", 13, &written, nullptr);
  ::CloseHandle(file);
  return ok != FALSE;
}

}  // namespace

bool ParseCacheList(std::string_view text, std::vector<CacheListEntry>* entries,
                    std::string* error) {
  int line_number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++line_number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const std::size_t tab1 = line.find('\t');
    const std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
    CacheListEntry entry;
    if (tab2 == std::string_view::npos || !ParseNumber(line.substr(0, tab1), &entry.type) ||
        !ParseNumber(line.substr(tab1 + 1, tab2 - tab1 - 1), &entry.hits)) {
      *error = "line " + std::to_string(line_number) + ": not TYPE<TAB>HITS<TAB>ADDRESS";
      return false;
    }
    entry.address = std::string(line.substr(tab2 + 1));
    entries->push_back(std::move(entry));
  }
  return true;
}

bool FillUrlCache(const std::vector<CacheListEntry>& entries, std::string* error) {
  for (const CacheListEntry& entry : entries) {
    const std::string address = win32::Utf8ToAnsi(entry.address);
    // A sticky entry must have a file in the cache; the others need none.
    char local_file[MAX_PATH] = {};
    if ((entry.type & STICKY_CACHE_ENTRY) != 0 && !CreateLocalFile(address, local_file)) {
      *error = "cannot make the cache file of " + entry.address + ": " +
               std::to_string(::GetLastError());
      return false;
    }
    const FILETIME zero{};
    if (!::CommitUrlCacheEntryA(address.c_str(), local_file[0] != '\0' ? local_file : nullptr, zero,
                                zero, entry.type & ~kContainerBits, nullptr, 0, nullptr, nullptr)) {
      *error =
          "CommitUrlCacheEntryA(" + entry.address + ") failed: " + std::to_string(::GetLastError());
      return false;
    }
    INTERNET_CACHE_ENTRY_INFOA info{};
    info.dwStructSize = sizeof(info);
    info.dwHitRate = entry.hits;
    if (!::SetUrlCacheEntryInfoA(address.c_str(), &info, CACHE_ENTRY_HITRATE_FC)) {
      *error = "SetUrlCacheEntryInfoA(" + entry.address +
               ") failed: " + std::to_string(::GetLastError());
      return false;
    }
  }
  return true;
}

}  // namespace zorvane::wine
