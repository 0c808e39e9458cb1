#include "urlcache/url_cache.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "browsers/sqlite_copy.h"
#include "platform/memory/memory_platform.h"
#include "platform/posix/cp932.h"
#include "urlcache/cache_list.h"
#include "urlcache/ie_index.h"

namespace zorvane::urlcache {
namespace {

// The URL cache on the memory platform, whose environment names `sources` as
// $ZORVANE_URL_CACHE (unset when null) and `home` as HOME; the files are real.
void EnumerateUrlCacheSources(const char* sources, const std::string& home,
                              const DiagnoseSource& diagnose,
                              const std::function<bool(const UrlCacheEntry&)>& visit) {
  MemoryPlatform platform;
  if (sources != nullptr) platform.SetEnvironmentVariable("ZORVANE_URL_CACHE", sources);
  platform.SetEnvironmentVariable("HOME", home);
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME")) {
    platform.SetEnvironmentVariable("XDG_CONFIG_HOME", xdg);
  }
  if (diagnose) platform.SetDiagnosticSink(diagnose);
  EnumerateUrlCache(platform, 0xFFFFFFFF, visit);
}

namespace fs = std::filesystem;

struct Entry {
  std::uint32_t type;
  std::string address;  // code page 932
  std::uint32_t hits;
  bool operator==(const Entry&) const = default;
};

void PrintTo(const Entry& e, std::ostream* os) {
  *os << "{0x" << std::hex << e.type << std::dec << ", \"" << e.address << "\", " << e.hits << "}";
}

// Collects entries; stops after `limit` of them.
struct Collector {
  std::vector<Entry> entries;
  std::size_t limit = static_cast<std::size_t>(-1);
  std::function<bool(const UrlCacheEntry&)> Visit() {
    return [this](const UrlCacheEntry& e) {
      // Compared in code page 932, the form the cache of Windows would hand over.
      entries.push_back({e.type,
                         e.encoding == AddressEncoding::kUtf8 ? cp932::FromUtf8(e.address)
                                                              : std::string(e.address),
                         e.hit_rate});
      return entries.size() < limit;
    };
  }
};

std::string TestData(const std::string& name) {
  const char* root = std::getenv("ZORVANE_TEST_DATA");
  return (fs::path(root != nullptr ? root : "tests/data") / "url_cache" / name).string();
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class TempFolder final {
 public:
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "zorvane-urlcache-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
  }
  ~TempFolder() {
    std::error_code error;
    fs::remove_all(path_, error);
  }
  std::string Write(const std::string& name, std::string_view bytes) const {
    const std::string file = (fs::path(path_) / name).string();
    fs::create_directories(fs::path(file).parent_path());
    std::ofstream(file, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return file;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// ---- Cache list ----------------------------------------------------------------------

TEST(CacheListTest, ParsesLines) {
  struct Case {
    std::string line;
    bool ok;
    Entry entry;
  };
  const Case cases[] = {
      {"0x1\t37\thttp://a/", true, {0x1, "http://a/", 37}},
      {"0X00300035\t2\thttp://a/", true, {0x300035, "http://a/", 2}},
      {"1048576\t3\tCookie:u@a/", true, {0x100000, "Cookie:u@a/", 3}},
      {" 0x1 \t 5 \thttp://a/ b\tc ", true, {0x1, "http://a/ b\tc ", 5}},
      {"0x1\t5\thttp://jp/日本", true, {0x1, "http://jp/\x93\xfa\x96\x7b", 5}},
      {"0x1\t5\thttp://x/café", true, {0x1, "http://x/caf?", 5}},
      {"0x1\t2147483647\thttp://a/", true, {0x1, "http://a/", 2147483647}},
      {"0x1\t99999999999999999999\thttp://a/", true, {0x1, "http://a/", 2147483647}},
      {"0x1\t+4\thttp://a/", true, {0x1, "http://a/", 4}},
      {"0xFFFFFFFF\t0\thttp://a/", true, {0xFFFFFFFF, "http://a/", 0}},
      {"0\t1\thttp://a/", true, {0x0, "http://a/", 1}},
      {"0x100000000\t1\thttp://a/", false, {}},
      {"4294967296\t1\thttp://a/", false, {}},
      {"0x1\t-1\thttp://a/", false, {}},
      {"0x1\tmany\thttp://a/", false, {}},
      {"0x1\t\thttp://a/", false, {}},
      {"0x\t1\thttp://a/", false, {}},
      {"normal\t1\thttp://a/", false, {}},
      {"0x1\t1\t", false, {}},
      {"0x1\t1", false, {}},
      {"0x00000000000000000001\t2\ta", true, {0x1, "a", 2}},
      {"0x1\t000000000000000000000000000007\ta", true, {0x1, "a", 7}},
      {"0x1\t18446744073709551616\ta", true, {0x1, "a", 2147483647}},
      {"0x1FFFFFFFF\t1\ta", false, {}},
      {"0x10000000000000000\t1\ta", false, {}},
      {"0xg\t1\ta", false, {}},
      {"0x1 \t1\ta", true, {0x1, "a", 1}},
      {"0x1\t1 \ta", true, {0x1, "a", 1}},
      {"0x1\t\t1\ta", false, {}},
      {"0x1 1 http://a/", false, {}},
      {"# 0x1\t1\thttp://a/", false, {}},
      {"", false, {}},
      {"   \t ", false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Entry e{};
    std::string_view address;
    EXPECT_EQ(ParseCacheListLine(c.line, &e.type, &e.hits, &address), c.ok);
    e.address = cp932::FromUtf8(address);
    if (c.ok) {
      EXPECT_EQ(e, c.entry);
    }
    // The readers, which read the usual lines their own quicker way, agree.
    Collector read;
    EXPECT_TRUE(EnumerateCacheList(c.line, read.Visit()));
    EXPECT_EQ(read.entries, c.ok ? std::vector<Entry>{c.entry} : std::vector<Entry>{});
  }
}

TEST(CacheListTest, WholeText) {
  const std::string text =
      "\xEF\xBB\xBF"  // byte order mark
      "0x1\t4\thttp://first/\r\n"
      "# a comment\n"
      "\r\n"
      "bad line\n"
      "0x8\t7\thttp://second/\n"
      "0x1\t9\thttp://last/";  // no final line break
  Collector all;
  EXPECT_TRUE(EnumerateCacheList(text, all.Visit()));
  EXPECT_EQ(all.entries,
            (std::vector<Entry>{
                {0x1, "http://first/", 4}, {0x8, "http://second/", 7}, {0x1, "http://last/", 9}}));
  Collector two;
  two.limit = 2;
  EXPECT_FALSE(EnumerateCacheList(text, two.Visit()));
  EXPECT_EQ(two.entries.size(), 2u);

  Collector none;
  EXPECT_TRUE(EnumerateCacheList("", none.Visit()));
  EXPECT_TRUE(EnumerateCacheList("\n\n", none.Visit()));
  EXPECT_TRUE(none.entries.empty());
}

TEST(CacheListTest, LargeFileReadInPieces) {
  TempFolder dir;
  std::string text;
  for (int i = 0; i < 5000; ++i)
    text += "0x1\t" + std::to_string(i) + "\thttp://e/" + std::to_string(i) + "\r\n";
  text += "0x1\t1\thttp://" + std::string(kMaxCacheListLine, 'x') + "\n";  // too long
  text += "0x1\t2\thttp://after-long/\n";
  const std::string file = dir.Write("cache.txt", text);
  Collector c;
  EXPECT_TRUE(EnumerateCacheListFile(file, c.Visit()));
  ASSERT_EQ(c.entries.size(), 5001u);
  for (int i = 0; i < 5000; ++i) {
    ASSERT_EQ(c.entries[static_cast<std::size_t>(i)],
              (Entry{0x1, "http://e/" + std::to_string(i), static_cast<std::uint32_t>(i)}));
  }
  EXPECT_EQ(c.entries.back(), (Entry{0x1, "http://after-long/", 2}));
}

// A file read piece by piece gives what the same text gives at once, wherever the pieces
// end: inside a line, between CR and LF, inside a character, inside an overlong line.
TEST(CacheListTest, FileGivesWhatTheWholeTextGives) {
  TempFolder dir;
  std::string text = "\xEF\xBB\xBF";
  for (int i = 0; text.size() < 1200 * 1024; ++i) {
    const std::string address = "http://e/" + std::string(static_cast<std::size_t>(i % 700), 'p') +
                                (i % 3 == 0 ? "日本" : "") + std::to_string(i);
    text += "0x1\t" + std::to_string(i) + "\t" + address + (i % 2 == 0 ? "\r\n" : "\n");
    if (i % 997 == 0) text += "0x1\t1\thttp://" + std::string(kMaxCacheListLine + 5, 'x') + "\n";
    if (i % 1999 == 0) text += "# comment\nbad\n\r\n";
  }
  text += "0x1\t5\thttp://last/";  // no final line break
  const std::string file = dir.Write("cache.txt", text);
  Collector whole, pieces;
  EXPECT_TRUE(EnumerateCacheList(text, whole.Visit()));
  EXPECT_TRUE(EnumerateCacheListFile(file, pieces.Visit()));
  ASSERT_GT(whole.entries.size(), 2000u);
  EXPECT_EQ(pieces.entries, whole.entries);
  // Smaller reads end inside overlong lines too, and carry lines from read to read.
  for (const std::size_t read_size : {4093u, 65543u}) {
    SCOPED_TRACE(read_size);
    Collector small;
    const UrlCacheBatchVisitor each = EachEntry(small.Visit());
    EntryBatch batch(each);
    EXPECT_TRUE(ReadCacheListFile(file, batch, read_size));
    EXPECT_EQ(small.entries, whole.entries);
  }
  EXPECT_EQ(whole.entries.back(), (Entry{0x1, "http://last/", 5}));
  EXPECT_EQ(whole.entries.front(), (Entry{0x1,
                                          "http://e/\x93\xfa\x96\x7b"
                                          "0",
                                          0}));
}

// ---- Sources -------------------------------------------------------------------------

TEST(UrlCacheSourcesTest, RecognisesKindsByContent) {
  struct Case {
    std::string bytes;
    UrlCacheSourceKind kind;
  };
  const Case cases[] = {
      {std::string("Client UrlCache MMF Ver 5.2\0\0\0\0", 32), UrlCacheSourceKind::kIeCacheIndex},
      {std::string("WINE URLCache Ver 0.2012001\0", 28), UrlCacheSourceKind::kIeCacheIndex},
      {std::string("Client UrlCache MMF Ver 4.7\0", 28), UrlCacheSourceKind::kUnknown},
      {std::string("SQLite format 3\0\x10\0", 18), UrlCacheSourceKind::kSqlite},
      {"0x1\t1\thttp://a/\n", UrlCacheSourceKind::kCacheList},
      {"", UrlCacheSourceKind::kCacheList},
      {std::string("\x7f"
                   "ELF\2\1\1\0",
                   8),
       UrlCacheSourceKind::kUnknown},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes.substr(0, 16));
    EXPECT_EQ(RecognizeUrlCacheSource(c.bytes), c.kind);
  }
}

TEST(UrlCacheSourcesTest, SplitsTheVariable) {
  EXPECT_EQ(SplitUrlCacheSources("/a/index.dat"), (std::vector<std::string>{"/a/index.dat"}));
  EXPECT_EQ(SplitUrlCacheSources("/a:/b c::/d:"), (std::vector<std::string>{"/a", "/b c", "/d"}));
  EXPECT_TRUE(SplitUrlCacheSources("").empty());
  EXPECT_TRUE(SplitUrlCacheSources(":::").empty());
}

TEST(UrlCacheSourcesTest, ReadsEverySourceInOrder) {
  TempFolder dir;
  const std::string list = dir.Write("list.txt", "0x1\t3\thttp://from-list/\n");
  const std::string binary = dir.Write("binary", std::string("\0\1\2\3", 4));
  dir.Write("ie/index.dat", ReadAll(TestData("wine-history-index.dat")));
  const std::string sources =
      list + ":" + binary + ":" + dir.path() + "/missing:" + dir.path() + "/ie:" + list;
  Collector c;
  std::vector<std::string> diagnostics;
  EnumerateUrlCacheSources(
      sources.c_str(), "/nonexistent",
      [&](const std::string& line) { diagnostics.push_back(line); }, c.Visit());
  EXPECT_EQ(c.entries, (std::vector<Entry>{{0x1, "http://from-list/", 3},
                                           {0x200001, "Visited: user@http://www.example.com/", 9},
                                           {0x1, "http://from-list/", 3}}));
  EXPECT_EQ(diagnostics, (std::vector<std::string>{
                             binary + ": not a kind of file Zorvane reads",
                             dir.path() + "/missing: not found",
                         }));
  Collector first;
  first.limit = 1;
  EnumerateUrlCacheSources(sources.c_str(), "/nonexistent", nullptr, first.Visit());
  EXPECT_EQ(first.entries.size(), 1u);

  // Set but empty: no source. Unset: the browser profiles of a home that has none.
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const std::string saved_xdg = xdg != nullptr ? xdg : "";
  setenv("XDG_CONFIG_HOME", (dir.path() + "/config").c_str(), 1);
  Collector none;
  EnumerateUrlCacheSources("", dir.path(), nullptr, none.Visit());
  EnumerateUrlCacheSources(nullptr, dir.path(), nullptr, none.Visit());
  EXPECT_TRUE(none.entries.empty());
  if (xdg != nullptr) {
    setenv("XDG_CONFIG_HOME", saved_xdg.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}

// Histories merge into one entry per address, in the place where it first appeared; a
// database named twice or through a symbolic or hard link is read once; a damaged one is
// named, and one that fails part way adds nothing, not even to the addresses it shares.
TEST(UrlCacheSourcesTest, MergesHistoriesByAddress) {
  TempFolder dir;
  const auto history = [&](const std::string& name, const std::string& rows) {
    const std::string path = dir.path() + "/" + name;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    const std::string sql =
        "CREATE TABLE urls(id INTEGER PRIMARY KEY, url LONGVARCHAR, visit_count INTEGER,"
        " hidden INTEGER DEFAULT 0);" +
        rows;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    return path;
  };
  const std::string a = history("a",
                                "INSERT INTO urls (url, visit_count) VALUES"
                                " ('http://both/', 6), ('http://a/', 1),"
                                " ('http://big/', 5);");
  const std::string b = history("b",
                                "INSERT INTO urls (url, visit_count) VALUES"
                                " ('http://b/', 2), ('http://both/', 20),"
                                " ('http://big/', 2147483645);");
  const std::string list = dir.Write("list.txt", "0x100000\t9\thttp://a/\n0x1\t3\thttp://both/\n");
  std::filesystem::create_symlink(a, dir.path() + "/link-to-a");
  std::filesystem::create_hard_link(a, dir.path() + "/hard-link-to-a");
  const std::string damaged =
      dir.Write("damaged", std::string(browsers::kSqliteHeader) + "garbage");
  // Its first rows read, then its table breaks off at its last page, which is garbage.
  std::string rows =
      "INSERT INTO urls (url, visit_count) VALUES ('http://a/', 5), ('http://c/', 4)";
  for (int i = 0; i < 400; ++i)
    rows += ", ('http://c/" + std::to_string(i) + std::string(100, 'c') + "', 2)";
  const std::string cut = history("cut", rows + ";");
  {
    std::string bytes = ReadAll(cut);
    constexpr std::size_t kPageSize = 4096;  // SQLite's default
    bytes.replace(bytes.size() - kPageSize, kPageSize, kPageSize, '\xA5');
    std::ofstream(cut, std::ios::binary | std::ios::trunc) << bytes;
  }
  const std::string sources = a + ":" + list + ":" + dir.path() + "/link-to-a:" + b + ":" + a +
                              ":" + damaged + ":" + cut + ":" + dir.path() + "/hard-link-to-a";
  Collector c;
  std::vector<std::string> diagnostics;
  EnumerateUrlCacheSources(
      sources.c_str(), "/nonexistent",
      [&](const std::string& line) { diagnostics.push_back(line); }, c.Visit());
  EXPECT_EQ(c.entries, (std::vector<Entry>{{0x100000, "http://a/", 9},  // no normal entry
                                           {0x1, "http://both/", 29},
                                           {0x1, "http://a/", 1},
                                           {0x1, "http://big/", 2147483647},
                                           {0x1, "http://b/", 2}}));
  EXPECT_EQ(diagnostics, (std::vector<std::string>{damaged + ": damaged or locked, skipped",
                                                   cut + ": damaged or locked, skipped"}));

  // With nothing to join them to, addresses the code page cannot carry come each in its
  // own percent-encoded form.
  const std::string forms = history("forms",
                                    "INSERT INTO urls (url, visit_count) VALUES"
                                    " ('http://x/é', 2), ('http://y/😀', 3), ('http://z/', 4);");
  Collector alone;
  EnumerateUrlCacheSources(forms.c_str(), "/nonexistent", nullptr, alone.Visit());
  EXPECT_EQ(alone.entries, (std::vector<Entry>{{0x1, "http://x/%C3%A9", 2},
                                               {0x1, "http://y/%F0%9F%98%80", 3},
                                               {0x1, "http://z/", 4}}));
}

// ---- index.dat written by Wine's WinINet -------------------------------------------------

const std::vector<Entry>& WineContentEntries() {
  static const std::vector<Entry> entries = {
      {0x1, "http://www.example.com/", 37},
      {0x1, "http://www.example.com/once", 1},
      {0x1, "https://www.example.org/search?q=a,b", 2},
      // "http://example.jp/日本語/ページ.html", stored as UTF-8, handed out in code page 932.
      {0x1, "http://example.jp/\x93\xfa\x96\x7b\x8c\xea/\x83\x79\x81\x5b\x83\x57.html", 5},
      {0x5, "http://www.example.net/sticky", 4},
      {0x9, "http://www.example.net/edited", 6},
      {0x1, "http://www.example.net/max", 0x7FFFFFFF},
      {0x1, "http://www.example.net/wrapped", 0xFFFFFFFF},
      // "http://www.example.net/deleted" was deleted again: its blocks are free.
  };
  return entries;
}

std::vector<Entry> ReadIndex(std::string_view bytes) {
  Collector c;
  EnumerateIeCacheIndex(bytes, c.Visit());
  return c.entries;
}

TEST(IeCacheIndexTest, ReadsWhatWineWrote) {
  const std::string content = ReadAll(TestData("wine-content-index.dat"));
  ASSERT_EQ(content.size(), 32768u) << "test data missing: " << TestData("wine-content-index.dat");
  EXPECT_EQ(ReadIndex(content), WineContentEntries());
  EXPECT_EQ(ReadIndex(ReadAll(TestData("wine-history-index.dat"))),
            (std::vector<Entry>{{0x200001, "Visited: user@http://www.example.com/", 9}}));
  EXPECT_EQ(ReadIndex(ReadAll(TestData("wine-cookies-index.dat"))),
            (std::vector<Entry>{{0x100000, "Cookie:user@www.example.com/", 3}}));

  Collector from_file;
  EXPECT_TRUE(EnumerateIeCacheIndexFile(TestData("wine-content-index.dat"), from_file.Visit()));
  EXPECT_EQ(from_file.entries, WineContentEntries());
  Collector two;
  two.limit = 2;
  EXPECT_FALSE(EnumerateIeCacheIndex(content, two.Visit()));
  EXPECT_EQ(two.entries.size(), 2u);
}

TEST(IeCacheIndexTest, InternetExplorerAddressesPassUnconverted) {
  std::string bytes = ReadAll(TestData("wine-content-index.dat"));
  ASSERT_GT(bytes.size(), 28u);
  bytes.replace(0, 28, std::string("Client UrlCache MMF Ver 5.2\0", 28));
  const std::vector<Entry> entries = ReadIndex(bytes);
  ASSERT_EQ(entries.size(), WineContentEntries().size());
  EXPECT_EQ(entries[3].address, "http://example.jp/日本語/ページ.html");  // the bytes as stored
  EXPECT_EQ(entries[0], WineContentEntries()[0]);
}

TEST(IeCacheIndexTest, TruncatedFileYieldsTheWholeRecordsBeforeTheCut) {
  const std::string bytes = ReadAll(TestData("wine-content-index.dat"));
  const std::vector<Entry>& all = WineContentEntries();
  for (std::size_t size = 0; size <= bytes.size(); size += 8) {
    SCOPED_TRACE(size);
    const std::vector<Entry> got = ReadIndex(std::string_view(bytes).substr(0, size));
    ASSERT_LE(got.size(), all.size());
    for (std::size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i], all[i]);
  }
  // Each URL record holds two blocks; the first starts at 0x5000.
  EXPECT_EQ(ReadIndex(std::string_view(bytes).substr(0, 0x5100)).size(), 1u);
  EXPECT_EQ(ReadIndex(std::string_view(bytes).substr(0, 0x50FF)).size(), 0u);
}

TEST(IeCacheIndexTest, DamagedRecordsAreSkipped) {
  const std::string original = ReadAll(TestData("wine-content-index.dat"));
  auto put32 = [](std::string* bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) (*bytes)[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  std::vector<Entry> without_second = WineContentEntries();
  without_second.erase(without_second.begin() + 1);

  struct Case {
    const char* what;
    std::size_t offset;
    std::uint32_t value;
  };
  // The second URL record starts at 0x5100.
  const Case cases[] = {
      {"address offset past the record", 0x5100 + 52, 0x100},
      {"address offset far away", 0x5100 + 52, 0xFFFFFFF0},
      {"no block count", 0x5100 + 4, 0},
      {"block count past the file", 0x5100 + 4, 0x7FFFFFFF},
      {"signature gone", 0x5100, 0x0BADF00D},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = original;
    put32(&bytes, c.offset, c.value);
    EXPECT_EQ(ReadIndex(bytes), without_second);
  }

  // No NUL after the address within the record: the address would run on.
  std::string unterminated = original;
  for (std::size_t i = 0x5100 + 0x68; i < 0x5200; ++i) unterminated[i] = 'x';
  EXPECT_EQ(ReadIndex(unterminated), without_second);

  // A freed block is not read even though its record is still there.
  std::string freed = original;
  freed[0x250 + 4] = 0;  // blocks 32 to 39: the first four URL records
  EXPECT_EQ(ReadIndex(freed),
            std::vector<Entry>(WineContentEntries().begin() + 4, WineContentEntries().end()));

  // A header that claims a smaller file ends the index there.
  std::string short_header = original;
  put32(&short_header, 28, 0x5200);
  EXPECT_EQ(ReadIndex(short_header).size(), 2u);
  std::string wild_header = original;
  put32(&wild_header, 28, 0xFFFFFFFF);
  EXPECT_EQ(ReadIndex(wild_header), WineContentEntries());
}

// The entries of the index file at `path` read through a window of `window` bytes.
std::vector<Entry> ReadIndexFile(const std::string& path, std::size_t window) {
  Collector c;
  const UrlCacheBatchVisitor each = EachEntry(c.Visit());
  EntryBatch batch(each);
  IeIndexReader reader(window);
  EXPECT_TRUE(reader.ReadFile(path, batch));
  return c.entries;
}

// Windows onto the records: a block, less than a record, a little more, the default.
constexpr std::size_t kWindows[] = {128, 200, 1000, IeIndexReader::kDefaultWindow};

TEST(IeCacheIndexTest, GarbageNeverReadsOutsideTheFile) {
  const std::string original = ReadAll(TestData("wine-content-index.dat"));
  TempFolder dir;
  std::uint32_t state = 20240607;
  auto next = [&] { return state = state * 1664525u + 1013904223u; };
  for (int round = 0; round < 300; ++round) {
    std::string bytes = original;
    // Damage the bitmap and the records, never the signature.
    for (int i = 0; i < 64; ++i) {
      const std::size_t at = 28 + next() % (bytes.size() - 28);
      bytes[at] = static_cast<char>(next() >> 24);
    }
    const std::size_t size = next() % (bytes.size() + 1);
    const std::vector<Entry> entries = ReadIndex(std::string_view(bytes).substr(0, size));
    for (const Entry& e : entries) {
      ASSERT_LE(e.address.size(), bytes.size());
    }
    // The file read through a window yields the same, however small the window.
    if (round % 10 == 0) {
      const std::string file = dir.Write("index.dat", bytes.substr(0, size));
      for (const std::size_t window : kWindows) {
        SCOPED_TRACE(window);
        ASSERT_EQ(ReadIndexFile(file, window), entries);
      }
    }
  }
  // Every block allocated, every byte 0xFF.
  std::string full(0x8000, '\xFF');
  full.replace(0, 28, std::string("WINE URLCache Ver 0.2012001\0", 28));
  EXPECT_TRUE(ReadIndex(full).empty());
  EXPECT_TRUE(ReadIndex(std::string("WINE URLCache Ver 0.2012001\0", 28)).empty());
}

// An index of Internet Explorer's kind holding `records` (type, hits, address, blocks) one
// after the other, each with its address at offset 0x68.
struct IndexRecord {
  std::uint32_t type;
  std::uint32_t hits;
  std::string address;
  std::size_t blocks;
};

std::string MakeIndex(const std::vector<IndexRecord>& records) {
  const auto put32 = [](std::string* bytes, std::size_t offset, std::size_t value) {
    for (int i = 0; i < 4; ++i) (*bytes)[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  std::string bytes(0x4000, '\0');
  bytes.replace(0, 28, std::string("Client UrlCache MMF Ver 5.2\0", 28));
  std::size_t block = 0;
  for (const IndexRecord& r : records) {
    std::string record(r.blocks * 128, '\0');
    record.replace(0, 4, "URL ");
    put32(&record, 4, r.blocks);
    put32(&record, 52, 0x68);
    put32(&record, 64, r.type);
    put32(&record, 84, r.hits);
    record.replace(0x68, r.address.size(), r.address);
    for (std::size_t b = block; b < block + r.blocks; ++b)
      bytes[0x250 + b / 8] |= static_cast<char>(1 << (b % 8));
    bytes += record;
    block += r.blocks;
  }
  put32(&bytes, 28, bytes.size());
  return bytes;
}

// An address longer than the window is gathered whole; the records around it are read
// from the window as usual, and a visitor that stops is obeyed.
TEST(IeCacheIndexTest, AddressLongerThanTheWindow) {
  const std::string long_address = "http://long/" + std::string(300 * 1024, 'x');
  const std::vector<IndexRecord> records = {
      {0x1, 3, "http://before/", 2},
      {0x1, 4, long_address, long_address.size() / 128 + 3},
      {0x1, 5, "http://after/", 2},
      {0x1, 6, std::string(1700 * 128 - 0x68, 'y'), 1700},  // no NUL in the record: skipped
      {0x1, 7, "http://last/", 1},
  };
  const std::string bytes = MakeIndex(records);
  const std::vector<Entry> expected = {{0x1, "http://before/", 3},
                                       {0x1, long_address, 4},
                                       {0x1, "http://after/", 5},
                                       {0x1, "http://last/", 7}};
  EXPECT_EQ(ReadIndex(bytes), expected);
  TempFolder dir;
  const std::string file = dir.Write("index.dat", bytes);
  for (const std::size_t window : kWindows) {
    SCOPED_TRACE(window);
    EXPECT_EQ(ReadIndexFile(file, window), expected);
  }
  Collector two;
  two.limit = 2;
  EXPECT_FALSE(EnumerateIeCacheIndexFile(file, two.Visit()));
  EXPECT_EQ(two.entries, std::vector<Entry>(expected.begin(), expected.begin() + 2));
}

}  // namespace
}  // namespace zorvane::urlcache
