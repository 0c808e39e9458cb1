#include "bench/profile_gen.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string_view>

namespace zorvane::bench {
namespace {

// Words of the Japanese names and addresses; every one is held by code page 932 as
// double-byte characters.
constexpr std::string_view kJapaneseWords[] = {
    "ニュース", "天気", "地図", "料理", "旅行", "音楽", "映画", "お気に入り",
    "日本語",   "検索", "辞書", "株価", "東京", "大阪", "写真", "スポーツ",
};
constexpr std::string_view kAsciiWords[] = {
    "news",  "weather", "maps", "recipes", "travel", "music", "movies", "bookmarks",
    "index", "search",  "wiki", "stocks",  "tokyo",  "osaka", "photos", "sports",
};
constexpr std::size_t kWordCount = std::size(kAsciiWords);
static_assert(std::size(kJapaneseWords) == kWordCount);

// Bytes of a UTF-8 character held as one double-byte character of the code page.
constexpr std::size_t kJapaneseUtf8CharBytes = 3;

// Code page 932 bytes of `utf8` made of ASCII and the Japanese words above.
std::size_t AnsiLength(std::string_view utf8) {
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    if (static_cast<unsigned char>(utf8[i]) < 0x80) {
      ++bytes;
      ++i;
    } else {
      bytes += 2;
      i += kJapaneseUtf8CharBytes;
    }
  }
  return bytes;
}

bool WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::string ShortcutBytes(Platform& platform, const std::string& address, bool full_form) {
  const std::string ansi = platform.ToAnsi(address);
  std::string bytes;
  if (full_form) bytes += "[DEFAULT]\r\nBASEURL=" + ansi + "\r\n";
  bytes += "[InternetShortcut]\r\nURL=" + ansi + "\r\n";
  if (full_form) bytes += "IDList=\r\nHotKey=0\r\nIconIndex=1\r\n";
  return bytes;
}

struct Folder {
  std::string path;
  std::size_t depth;
};

}  // namespace

std::uint64_t Random::Next() {
  std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::uint64_t Random::Below(std::uint64_t bound) { return bound == 0 ? 0 : Next() % bound; }

double Random::Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

std::size_t LogUniform(Random& random, std::size_t low, std::size_t high) {
  if (high <= low) return low;
  const double ratio = static_cast<double>(high) / static_cast<double>(low);
  const double value = static_cast<double>(low) * std::pow(ratio, random.Unit());
  return std::clamp(static_cast<std::size_t>(value), low, high);
}

std::string MakeAddress(Random& random, std::uint64_t serial, std::size_t bytes, bool japanese) {
  // The serial in base 36 makes the address unique: nothing that follows it is a digit
  // or a letter directly after it.
  std::string serial_text;
  for (std::uint64_t s = serial; serial_text.empty() || s > 0; s /= 36) {
    serial_text.insert(serial_text.begin(), "0123456789abcdefghijklmnopqrstuvwxyz"[s % 36]);
  }
  const std::size_t target = std::max<std::size_t>(bytes, 20);
  std::string address =
      "https://www" + std::to_string(serial % 997) + ".example.jp/" + serial_text + "/";
  if (address.size() > target) {
    address = "http://x.jp/" + serial_text;  // at most 20 bytes for serials below 36^8
    if (address.size() < target) address += "/";
  }
  std::size_t length = AnsiLength(address);
  while (length < target) {
    const std::size_t word = random.Below(kWordCount);
    const std::string_view text =
        japanese && random.Chance(0.5) ? kJapaneseWords[word] : kAsciiWords[word];
    const std::size_t text_length = AnsiLength(text);
    if (length + text_length + 1 <= target) {
      address += text;
      address += random.Chance(0.2) ? "?" : "/";
      length += text_length + 1;
    } else {
      address.push_back(static_cast<char>('a' + random.Below(26)));
      ++length;
    }
  }
  return address;
}

FavoritesTree GenerateFavorites(Platform& platform, const FavoritesSpec& spec,
                                const std::string& root) {
  Random random(spec.seed);
  FavoritesTree tree;
  const char separator = platform.PathSeparator();

  // The first `depth` folders form a chain, so the tree reaches its full depth; the
  // others hang below any folder that is not yet at the deepest level.
  std::vector<Folder> folders{{root, 0}};
  std::vector<std::size_t> parents{0};  // folders that may take a subfolder
  for (std::size_t f = 1; f <= spec.folders; ++f) {
    std::size_t parent_index;
    if (f <= spec.depth) {
      parent_index = f - 1;
    } else if (!parents.empty()) {
      parent_index = parents[random.Below(parents.size())];
    } else {
      break;
    }
    const Folder& parent = folders[parent_index];
    const std::string name =
        random.Chance(spec.japanese_share)
            ? std::string(kJapaneseWords[random.Below(kWordCount)]) + "フォルダ" + std::to_string(f)
            : "Folder " + std::to_string(f);
    Folder folder{parent.path + separator + name, parent.depth + 1};
    platform.CreateDirectory(folder.path);
    if (folder.depth < spec.depth) parents.push_back(folders.size());
    folders.push_back(std::move(folder));
  }

  tree.addresses.reserve(spec.shortcuts);
  for (std::size_t i = 0; i < spec.shortcuts; ++i) {
    const bool japanese = random.Chance(spec.japanese_share);
    const std::size_t word = random.Below(kWordCount);
    const std::string title =
        japanese ? std::string(kJapaneseWords[word]) + " " + std::to_string(i)
                 : "Site " + std::to_string(i) + " " + std::string(kAsciiWords[word]);
    std::string address = MakeAddress(
        random, i, LogUniform(random, spec.min_address_bytes, spec.max_address_bytes), japanese);
    const std::string bytes = ShortcutBytes(platform, address, random.Chance(0.5));
    const Folder& folder = folders[random.Below(folders.size())];
    if (WriteBytes(folder.path + separator + title + ".url", bytes)) {
      tree.file_bytes += bytes.size();
      ++tree.files;
      tree.addresses.push_back(std::move(address));
    }
  }

  for (std::size_t i = 0; i < spec.other_files; ++i) {
    const Folder& folder = folders[random.Below(folders.size())];
    std::string name;
    std::string bytes;
    switch (random.Below(5)) {
      case 0:
        name = "readme " + std::to_string(i) + ".txt";
        bytes = "A note that is no shortcut.\r\n";
        break;
      case 1:
        name = "icon" + std::to_string(i) + ".ico";
        bytes = std::string("\0\0\1\0\1\0\20\20", 8);
        break;
      case 2:  // upper-case extension: listed, never catalogued
        name = "Upper " + std::to_string(i) + ".URL";
        bytes = ShortcutBytes(platform, MakeAddress(random, i, 40, false), false);
        break;
      case 3:  // hidden: not even listed
        name = ".hidden " + std::to_string(i) + ".url";
        bytes = ShortcutBytes(platform, MakeAddress(random, i, 40, false), false);
        break;
      default:
        name = "desktop" + std::to_string(i) + ".ini";
        bytes = "[.ShellClassInfo]\r\nIconIndex=3\r\n";
        break;
    }
    if (WriteBytes(folder.path + separator + name, bytes)) {
      tree.file_bytes += bytes.size();
      ++tree.files;
    }
  }
  return tree;
}

CacheGenerator::CacheGenerator(const CacheSpec& spec, const std::vector<std::string>& favourites)
    : spec_(spec), favourites_(favourites), order_(favourites.size()), random_(spec.seed) {
  for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = i;
  for (std::size_t i = order_.size(); i > 1; --i) {
    std::swap(order_[i - 1], order_[random_.Below(i)]);
  }
}

std::uint32_t CacheGenerator::ZipfHits() {
  // The continuous form of the law, floored: P(hits >= k) = k^(1 - s).
  const double s = std::max(spec_.zipf_exponent, 1.01);
  const double k = std::floor(std::pow(1.0 - random_.Unit(), -1.0 / (s - 1.0)));
  if (!(k < static_cast<double>(spec_.max_hits))) return spec_.max_hits;
  return std::max<std::uint32_t>(1, static_cast<std::uint32_t>(k));
}

bool CacheGenerator::Next(CacheEntry* entry) {
  if (produced_ >= spec_.entries) return false;
  const std::uint64_t serial = (1ull << 40) + produced_;
  ++produced_;
  entry->hits = ZipfHits();
  const double kind = random_.Unit();
  const auto foreign = [&] {
    return MakeAddress(random_, serial,
                       LogUniform(random_, spec_.min_address_bytes, spec_.max_address_bytes),
                       random_.Chance(spec_.japanese_share));
  };
  if (kind < spec_.favourite_share && !order_.empty()) {
    entry->type = random_.Chance(0.1) ? kNormalEntry | kStickyEntry : kNormalEntry;
    entry->address = favourites_[order_[next_favourite_]];
    next_favourite_ = (next_favourite_ + 1) % order_.size();
    ++favourite_count_;
  } else if (kind < spec_.favourite_share + spec_.cookie_share) {
    entry->type = kCookieEntry | kNormalEntry;
    entry->address = "Cookie:user@www" + std::to_string(serial % 997) + ".example.jp/";
    ++cookie_count_;
  } else if (kind < spec_.favourite_share + spec_.cookie_share + spec_.history_share) {
    entry->type = kHistoryEntry | kNormalEntry;
    entry->address = "Visited: user@" + foreign();
    ++history_count_;
  } else {
    entry->type = kNormalEntry;
    entry->address = foreign();
  }
  return true;
}

std::uint64_t WriteCacheList(const std::string& path, CacheGenerator& generator) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return 0;
  std::uint64_t bytes = 0;
  std::string line;
  CacheEntry entry;
  char type[16];
  while (generator.Next(&entry)) {
    std::snprintf(type, sizeof(type), "0x%x", entry.type);
    line.assign(type);
    line += '\t';
    line += std::to_string(entry.hits);
    line += '\t';
    line += entry.address;
    line += '\n';
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
    bytes += line.size();
  }
  out.flush();
  return out ? bytes : 0;
}

}  // namespace zorvane::bench
