/* Writes URL-cache entries with known types and hit counts through WinINet, so that the
 * index.dat files a real WinINet keeps can serve as test data for our own reader.
 *
 * Built with MinGW-w64 and run under a throwaway Wine prefix by make-index-dat.sh; not
 * part of the normal build. Prints one line per entry it committed:
 * TYPE<TAB>HITS<TAB>ADDRESS (address in UTF-8), which the script keeps beside the files.
 */
#include <windows.h>
#include <wininet.h>
#include <stdio.h>

struct entry {
  const wchar_t* address;
  DWORD type;
  DWORD hits;
  int with_file; /* a cached file and response headers, as a downloaded page has */
};

/* Content entries, one history entry and one cookie; WinINet files each under the
 * container its prefix names. Hit counts are set after the commit, which starts at 1. */
static const struct entry kEntries[] = {
    {L"http://www.example.com/", NORMAL_CACHE_ENTRY, 37, 1},
    {L"http://www.example.com/once", NORMAL_CACHE_ENTRY, 1, 0},
    {L"https://www.example.org/search?q=a,b", NORMAL_CACHE_ENTRY, 2, 0},
    {L"http://example.jp/\x65e5\x672c\x8a9e/\x30da\x30fc\x30b8.html", NORMAL_CACHE_ENTRY, 5, 0},
    {L"http://www.example.net/sticky", NORMAL_CACHE_ENTRY | STICKY_CACHE_ENTRY, 4, 1},
    {L"http://www.example.net/edited", EDITED_CACHE_ENTRY, 6, 0},
    {L"http://www.example.net/max", NORMAL_CACHE_ENTRY, 0x7FFFFFFF, 0},
    {L"http://www.example.net/wrapped", NORMAL_CACHE_ENTRY, 0xFFFFFFFF, 0},
    {L"Visited: user@http://www.example.com/", NORMAL_CACHE_ENTRY, 9, 0},
    {L"Cookie:user@www.example.com/", COOKIE_CACHE_ENTRY, 3, 0},
};

static const wchar_t kDeleted[] = L"http://www.example.net/deleted";

/* Creates the cache's file for `address` and fills it; `path` receives its name. */
static int make_cached_file(const wchar_t* address, wchar_t* path) {
  static const char kBody[] = "<html><body>cached</body></html>";
  HANDLE file;
  DWORD written = 0;
  if (!CreateUrlCacheEntryW(address, 0, L"html", path, 0)) return 0;
  file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return 0;
  WriteFile(file, kBody, sizeof kBody - 1, &written, NULL);
  CloseHandle(file);
  return written == sizeof kBody - 1;
}

static int utf8_print(const wchar_t* text) {
  char buffer[1024];
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer, NULL, NULL);
  if (n <= 0) return 0;
  fputs(buffer, stdout);
  return 1;
}

int main(void) {
  FILETIME zero = {0, 0};
  int failures = 0;
  size_t i;
  for (i = 0; i < sizeof kEntries / sizeof kEntries[0]; ++i) {
    const struct entry* e = &kEntries[i];
    static wchar_t kHeaders[] = L"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";
    INTERNET_CACHE_ENTRY_INFOW info;
    wchar_t path[MAX_PATH] = L"";
    if (e->with_file && !make_cached_file(e->address, path)) {
      fprintf(stderr, "cache file %u failed: %lu\n", (unsigned)i, GetLastError());
      ++failures;
      continue;
    }
    if (!CommitUrlCacheEntryW(e->address, e->with_file ? path : NULL, zero, zero, e->type,
                              e->with_file ? kHeaders : NULL,
                              e->with_file ? lstrlenW(kHeaders) : 0, e->with_file ? L"html" : NULL,
                              NULL)) {
      fprintf(stderr, "commit %u failed: %lu\n", (unsigned)i, GetLastError());
      ++failures;
      continue;
    }
    memset(&info, 0, sizeof info);
    info.dwStructSize = sizeof info;
    info.dwHitRate = e->hits;
    if (!SetUrlCacheEntryInfoW(e->address, &info, CACHE_ENTRY_HITRATE_FC)) {
      fprintf(stderr, "set hit rate %u failed: %lu\n", (unsigned)i, GetLastError());
      ++failures;
      continue;
    }
    printf("0x%lx\t%lu\t", (unsigned long)e->type, (unsigned long)e->hits);
    utf8_print(e->address);
    fputs("\n", stdout);
  }
  /* An entry that is committed and deleted again: its blocks are freed and no reader
   * may report it. */
  if (!CommitUrlCacheEntryW(kDeleted, NULL, zero, zero, NORMAL_CACHE_ENTRY, NULL, 0, NULL, NULL) ||
      !DeleteUrlCacheEntryW(kDeleted)) {
    fprintf(stderr, "commit and delete failed: %lu\n", GetLastError());
    ++failures;
  }
  return failures == 0 ? 0 : 1;
}
