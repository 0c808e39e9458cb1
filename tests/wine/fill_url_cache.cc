// fill_url_cache.exe LIST: puts the entries of a cache list file into the user's WinINet
// URL cache (see url_cache_filler.h), for the end-to-end runs of the Windows build.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tests/wine/url_cache_filler.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fill_url_cache LIST\n");
    return 2;
  }
  std::unique_ptr<zorvane::Platform> platform = zorvane::CreateDefaultPlatform();
  std::string text;
  if (platform->ReadFile(argv[1], &text) != zorvane::FileRead::kRead) {
    std::fprintf(stderr, "fill_url_cache: cannot read %s\n", argv[1]);
    return 1;
  }
  std::vector<zorvane::wine::CacheListEntry> entries;
  std::string error;
  if (!zorvane::wine::ParseCacheList(text, &entries, &error) ||
      !zorvane::wine::FillUrlCache(entries, &error)) {
    std::fprintf(stderr, "fill_url_cache: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
