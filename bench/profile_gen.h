// Synthetic profiles for the benchmarks: a Favorites folder tree and a URL cache, both
// the same for the same seed on every machine (the generator uses its own random
// numbers, never the standard library's distributions, whose output differs between
// implementations).
//
// Favorites tree: `folders` subfolders below the root, none deeper than `depth`, with
// `shortcuts` Internet shortcut files ("*.url", the file bytes in code page 932) spread
// over the root and the subfolders among `other_files` files the catalogue build lists
// but does not catalogue (text files, icons, upper-case ".URL" files, hidden shortcuts).
// Names and addresses are ASCII or, for a chosen share, Japanese.
//
// URL cache: `entries` entries in a fixed order; a chosen share of them carry favourite
// addresses, the others foreign addresses, cookies ("Cookie:user@host/") and history
// entries ("Visited: user@address"); hit counts follow a Zipf law.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace zorvane::bench {

// A small, fast, deterministic source of random numbers (splitmix64).
class Random final {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next();
  // Uniform in [0, bound); 0 when `bound` is 0.
  std::uint64_t Below(std::uint64_t bound);
  // Uniform in [0, 1).
  double Unit();
  // Whether an event of probability `p` happens.
  bool Chance(double p) { return Unit() < p; }

 private:
  std::uint64_t state_;
};

// A length in [low, high] whose logarithm is uniform.
std::size_t LogUniform(Random& random, std::size_t low, std::size_t high);

struct FavoritesSpec {
  std::uint64_t seed = 1;
  std::size_t shortcuts = 1000;   // N
  std::size_t other_files = 500;  // K
  std::size_t folders = 50;       // F, the root not counted
  std::size_t depth = 4;          // D, the root at depth 0
  double japanese_share = 0.3;
  std::size_t min_address_bytes = 20;
  std::size_t max_address_bytes = 500;
};

// What a generated tree holds: the shortcut addresses (UTF-8) in no particular order,
// and the bytes written.
struct FavoritesTree {
  std::vector<std::string> addresses;
  std::uint64_t file_bytes = 0;
  std::size_t files = 0;
};

// Writes the tree below the existing, empty folder `root`. Folders are made through
// `platform`; text goes to the code page through it too.
FavoritesTree GenerateFavorites(Platform& platform, const FavoritesSpec& spec,
                                const std::string& root);

// An address of `bytes` bytes in code page 932 (UTF-8 returned), unique for `serial`;
// Japanese path words when `japanese`. At least 20 bytes whatever is asked (serials
// below 36^8).
std::string MakeAddress(Random& random, std::uint64_t serial, std::size_t bytes, bool japanese);

struct CacheSpec {
  std::uint64_t seed = 2;
  std::size_t entries = 10000;    // M
  double favourite_share = 0.05;  // entries that carry a favourite's address
  double cookie_share = 0.05;
  double history_share = 0.15;
  double zipf_exponent = 2.0;  // hit count k has probability proportional to k^-s
  std::uint32_t max_hits = 100000;
  double japanese_share = 0.1;
  std::size_t min_address_bytes = 20;
  std::size_t max_address_bytes = 500;
};

struct CacheEntry {
  std::uint32_t type = 0;
  std::uint32_t hits = 0;
  std::string address;  // UTF-8
};

// Produces the entries of one cache, one at a time, always the same for the same spec
// and favourites. Favourite entries walk the favourites in a shuffled order, so every
// favourite appears once before any appears twice.
class CacheGenerator final {
 public:
  CacheGenerator(const CacheSpec& spec, const std::vector<std::string>& favourites);
  // False past the last entry.
  bool Next(CacheEntry* entry);

  // How many entries of each kind were produced so far.
  std::size_t favourites() const { return favourite_count_; }
  std::size_t cookies() const { return cookie_count_; }
  std::size_t history() const { return history_count_; }
  std::size_t produced() const { return produced_; }

 private:
  std::uint32_t ZipfHits();

  CacheSpec spec_;
  const std::vector<std::string>& favourites_;
  std::vector<std::size_t> order_;
  std::size_t next_favourite_ = 0;
  std::size_t produced_ = 0;
  std::size_t favourite_count_ = 0;
  std::size_t cookie_count_ = 0;
  std::size_t history_count_ = 0;
  Random random_;
};

// The entry-type bits the generator uses (WinINet's values).
inline constexpr std::uint32_t kNormalEntry = 0x1;
inline constexpr std::uint32_t kStickyEntry = 0x4;
inline constexpr std::uint32_t kCookieEntry = 0x100000;
inline constexpr std::uint32_t kHistoryEntry = 0x200000;

// Writes the cache as a cache list (TYPE<TAB>HITS<TAB>ADDRESS lines). Returns the bytes
// written, or 0 when the file cannot be written.
std::uint64_t WriteCacheList(const std::string& path, CacheGenerator& generator);

}  // namespace zorvane::bench
