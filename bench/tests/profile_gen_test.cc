// The profile generator: the same seed makes the same profile, the profile holds what its
// spec asks for, and the program reads both cache formats back as they were written.
#include "bench/profile_gen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/form1.h"
#include "bench/ie_index_writer.h"
#include "bench/places_writer.h"
#include "bench/process.h"
#include "catalogue/catalogue_file.h"
#include "tests/support/test_support.h"
#include "urlcache/cache_list.h"
#include "urlcache/ie_index.h"

namespace zorvane::bench {
namespace {

using zorvane::testing::TempDir;

// Every file below `root`, by path relative to it, with its bytes.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    const std::string relative = std::filesystem::relative(entry.path(), root).string();
    if (entry.is_directory()) {
      files[relative + "/"] = "";
    } else {
      files[relative] = ReadWholeFile(entry.path().string());
    }
  }
  return files;
}

std::vector<CacheEntry> AllEntries(const CacheSpec& spec, const std::vector<std::string>& favs) {
  CacheGenerator generator(spec, favs);
  std::vector<CacheEntry> entries;
  for (CacheEntry entry; generator.Next(&entry);) entries.push_back(entry);
  return entries;
}

class ProfileGenTest : public ::testing::Test {
 protected:
  std::unique_ptr<Platform> platform_ = CreateDefaultPlatform();
};

TEST_F(ProfileGenTest, RandomNumbersDependOnlyOnTheSeed) {
  Random a(42), b(42), c(43);
  for (int i = 0; i < 100; ++i) {
    const std::uint64_t x = a.Next();
    EXPECT_EQ(x, b.Next());
    EXPECT_NE(x, c.Next());
  }
  Random d(1);
  for (int i = 0; i < 1000; ++i) {
    EXPECT_LT(d.Below(7), 7u);
    const double u = d.Unit();
    EXPECT_GE(u, 0.0);
    EXPECT_LT(u, 1.0);
  }
  EXPECT_EQ(d.Below(0), 0u);
}

TEST_F(ProfileGenTest, AddressesHaveTheAskedLengthInTheCodePage) {
  Random random(5);
  std::set<std::string> seen;
  const struct {
    std::size_t bytes;
    bool japanese;
  } cases[] = {{20, false}, {21, true},  {37, true}, {100, false},
               {255, true}, {500, true}, {5, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.bytes) + (c.japanese ? " japanese" : " ascii"));
    for (std::uint64_t serial = 0; serial < 20; ++serial) {
      const std::string address = MakeAddress(random, serial * 1000 + c.bytes, c.bytes, c.japanese);
      EXPECT_EQ(platform_->ToAnsi(address).size(), std::max<std::size_t>(c.bytes, 20)) << address;
      EXPECT_EQ(platform_->FromAnsi(platform_->ToAnsi(address)), address);
      EXPECT_EQ(address.rfind("http", 0), 0u);
      EXPECT_EQ(address.find_first_of("\r\n\t"), std::string::npos);
      EXPECT_TRUE(seen.insert(address).second) << "repeated: " << address;
    }
  }
}

TEST_F(ProfileGenTest, SameSeedWritesTheSameTree) {
  TempDir a, b;
  FavoritesSpec spec;
  spec.shortcuts = 60;
  spec.other_files = 40;
  spec.folders = 12;
  spec.depth = 3;
  const FavoritesTree first = GenerateFavorites(*platform_, spec, a.str());
  const FavoritesTree second = GenerateFavorites(*platform_, spec, b.str());
  EXPECT_EQ(first.addresses, second.addresses);
  EXPECT_EQ(first.file_bytes, second.file_bytes);
  EXPECT_EQ(Snapshot(a.path()), Snapshot(b.path()));

  TempDir c;
  spec.seed = 2;
  GenerateFavorites(*platform_, spec, c.str());
  EXPECT_NE(Snapshot(a.path()), Snapshot(c.path()));
}

TEST_F(ProfileGenTest, TreeHoldsTheAskedFoldersDepthAndFiles) {
  TempDir dir;
  FavoritesSpec spec;
  spec.shortcuts = 200;
  spec.other_files = 100;
  spec.folders = 30;
  spec.depth = 4;
  spec.japanese_share = 0.5;
  const FavoritesTree tree = GenerateFavorites(*platform_, spec, dir.str());
  std::size_t folders = 0, files = 0, max_depth = 0, shortcuts = 0, japanese_names = 0;
  for (auto it = std::filesystem::recursive_directory_iterator(dir.path());
       it != std::filesystem::recursive_directory_iterator(); ++it) {
    if (it->is_directory()) {
      ++folders;
      max_depth = std::max<std::size_t>(max_depth, static_cast<std::size_t>(it.depth()) + 1);
      continue;
    }
    ++files;
    const std::string name = it->path().filename().string();
    if (name.size() > 4 && name.substr(name.size() - 4) == ".url" && name[0] != '.') ++shortcuts;
    if (static_cast<unsigned char>(name[0]) >= 0x80) ++japanese_names;
  }
  EXPECT_EQ(folders, spec.folders);
  EXPECT_EQ(max_depth, spec.depth);
  EXPECT_EQ(files, spec.shortcuts + spec.other_files);
  EXPECT_EQ(tree.files, files);
  EXPECT_EQ(shortcuts, spec.shortcuts);
  EXPECT_EQ(tree.addresses.size(), spec.shortcuts);
  EXPECT_GT(japanese_names, 40u);
  EXPECT_LT(japanese_names, 160u);
}

// The catalogue build over a generated tree catalogues exactly the generated shortcuts.
TEST_F(ProfileGenTest, CatalogueBuildFindsEveryGeneratedShortcut) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "Favorites");
  std::filesystem::create_directories(dir.path() / "program");
  dir.Write("registry.reg", zorvane::testing::RegistryStoreNaming(dir.str() + "/Favorites"));
  zorvane::testing::ScopedEnv registry("ZORVANE_REGISTRY", dir.str() + "/registry.reg");
  FavoritesSpec spec;
  spec.shortcuts = 150;
  spec.other_files = 150;
  spec.folders = 10;
  const FavoritesTree tree = GenerateFavorites(*platform_, spec, dir.str() + "/Favorites");

  // The platform finds the registry store when it is made.
  const std::unique_ptr<Platform> platform = CreateDefaultPlatform();
  zorvane::testing::RecordingView view;
  Form1 form(*platform, dir.str() + "/program", view);
  form.Form_Load();
  form.Command2_Click();
  ASSERT_EQ(view.messages, std::vector<std::string>{"終了しました"});

  const std::string url_dat = platform_->FromAnsi(dir.Read("program/url.dat"));
  std::multiset<std::string> catalogued;
  for (std::size_t start = 0; start < url_dat.size();) {
    const std::size_t end = url_dat.find("\r\n", start);
    catalogued.insert(url_dat.substr(start, end - start));
    start = end + 2;
  }
  std::multiset<std::string> expected(tree.addresses.begin(), tree.addresses.end());
  expected.insert("");  // the closing empty line
  EXPECT_EQ(catalogued, expected);
}

TEST_F(ProfileGenTest, CacheHoldsTheAskedSharesAndRepeatsNoFavouriteEarly) {
  std::vector<std::string> favourites;
  for (int i = 0; i < 50; ++i) favourites.push_back("https://fav.example/" + std::to_string(i));
  CacheSpec spec;
  spec.entries = 20000;
  spec.favourite_share = 0.1;
  spec.cookie_share = 0.05;
  spec.history_share = 0.2;
  CacheGenerator generator(spec, favourites);
  std::vector<std::string> favourite_order;
  std::size_t cookies = 0, history = 0, single_hits = 0, produced = 0;
  for (CacheEntry entry; generator.Next(&entry);) {
    ++produced;
    EXPECT_NE(entry.type & kNormalEntry, 0u);
    EXPECT_GE(entry.hits, 1u);
    EXPECT_LE(entry.hits, spec.max_hits);
    if (entry.hits == 1) ++single_hits;
    if (entry.address.rfind("https://fav.example/", 0) == 0)
      favourite_order.push_back(entry.address);
    if (entry.address.rfind("Cookie:", 0) == 0) {
      ++cookies;
      EXPECT_NE(entry.type & kCookieEntry, 0u);
    }
    if (entry.address.rfind("Visited: ", 0) == 0) {
      ++history;
      EXPECT_NE(entry.type & kHistoryEntry, 0u);
    }
  }
  EXPECT_EQ(produced, spec.entries);
  EXPECT_EQ(generator.cookies(), cookies);
  EXPECT_EQ(generator.history(), history);
  EXPECT_EQ(generator.favourites(), favourite_order.size());
  EXPECT_NEAR(static_cast<double>(favourite_order.size()) / produced, 0.1, 0.01);
  EXPECT_NEAR(static_cast<double>(cookies) / produced, 0.05, 0.01);
  EXPECT_NEAR(static_cast<double>(history) / produced, 0.2, 0.015);
  // Zipf with exponent 2: about half of the counts are 1.
  EXPECT_NEAR(static_cast<double>(single_hits) / produced, 0.5, 0.03);
  // The first 50 favourite entries are 50 different favourites.
  ASSERT_GE(favourite_order.size(), 50u);
  EXPECT_EQ(std::set<std::string>(favourite_order.begin(), favourite_order.begin() + 50).size(),
            50u);
}

TEST_F(ProfileGenTest, CacheListReadsBackAsGenerated) {
  TempDir dir;
  const std::vector<std::string> favourites = {"https://fav.example/a", "https://例え.jp/ニュース"};
  CacheSpec spec;
  spec.entries = 3000;
  spec.favourite_share = 0.2;
  spec.japanese_share = 0.5;
  CacheGenerator writer_generator(spec, favourites);
  const std::uint64_t bytes = WriteCacheList(dir.str() + "/cache.txt", writer_generator);
  EXPECT_EQ(static_cast<std::int64_t>(bytes), FileSize(dir.str() + "/cache.txt"));

  const std::vector<CacheEntry> expected = AllEntries(spec, favourites);
  std::size_t i = 0;
  urlcache::EnumerateCacheListFile(dir.str() + "/cache.txt", [&](const UrlCacheEntry& entry) {
    if (i < expected.size()) {
      EXPECT_EQ(entry.type, expected[i].type) << i;
      EXPECT_EQ(entry.hit_rate, expected[i].hits) << i;
      EXPECT_EQ(entry.encoding == AddressEncoding::kUtf8 ? platform_->ToAnsi(entry.address)
                                                         : std::string(entry.address),
                platform_->ToAnsi(expected[i].address))
          << i;
    }
    ++i;
    return true;
  });
  EXPECT_EQ(i, expected.size());
}

TEST_F(ProfileGenTest, IndexFilesReadBackAsGeneratedAcrossFiles) {
  TempDir dir;
  const std::vector<std::string> favourites = {"https://fav.example/東京"};
  CacheSpec spec;
  spec.entries = 60000;  // more than one index file holds
  spec.japanese_share = 0.3;
  CacheGenerator generator(spec, favourites);
  std::uint64_t bytes = 0;
  const std::vector<std::string> files =
      WriteIeIndexFiles(*platform_, dir.str() + "/index", generator, &bytes);
  ASSERT_GE(files.size(), 2u);
  std::int64_t total = 0;
  for (const std::string& file : files) total += FileSize(file);
  EXPECT_EQ(static_cast<std::int64_t>(bytes), total);

  const std::vector<CacheEntry> expected = AllEntries(spec, favourites);
  std::size_t i = 0;
  for (const std::string& file : files) {
    EXPECT_TRUE(
        urlcache::IsIeCacheIndex(ReadWholeFile(file).substr(0, urlcache::kIeCacheSignatureBytes)));
    urlcache::EnumerateIeCacheIndexFile(file, [&](const UrlCacheEntry& entry) {
      if (i < expected.size()) {
        EXPECT_EQ(entry.type, expected[i].type) << i;
        EXPECT_EQ(entry.hit_rate, expected[i].hits) << i;
        EXPECT_EQ(entry.encoding == AddressEncoding::kUtf8 ? platform_->ToAnsi(entry.address)
                                                           : std::string(entry.address),
                  platform_->ToAnsi(expected[i].address))
            << i;
      }
      ++i;
      return true;
    });
  }
  EXPECT_EQ(i, expected.size());
}

TEST_F(ProfileGenTest, IndexWriterRefusesARecordPastTheBitmap) {
  IeIndexWriter writer;
  const std::string address(500, 'a');  // five blocks a record
  std::size_t added = 0;
  while (writer.Add(kNormalEntry, 2, address)) ++added;
  EXPECT_EQ(added, writer.records());
  EXPECT_GT(added, 20000u);
  // A smaller record may still fit where a larger one did not; none fits once full.
  while (writer.Add(kNormalEntry, 2, "x")) ++added;
  EXPECT_FALSE(writer.Add(kNormalEntry, 2, "x"));
  std::size_t read = 0;
  urlcache::EnumerateIeCacheIndex(writer.Finish(), [&](const UrlCacheEntry&) {
    ++read;
    return true;
  });
  EXPECT_EQ(read, added);
}

// The ranking's output and the settings file it leaves, two rankings in a row, for each
// kind of source of a small generated profile, are what the program gave before its
// ranking became one pass (bench/tests/golden/, written by that program). With
// ZORVANE_GOLDEN_WRITE set, the files are written there instead of compared, so the
// expectation is taken from whatever program ZORVANE_GOLDEN_CLI names.
TEST_F(ProfileGenTest, RankingOfAGeneratedProfileIsAsBefore) {
  TempDir dir;
  const char* cli_override = std::getenv("ZORVANE_GOLDEN_CLI");
  const std::string cli = cli_override != nullptr ? cli_override : ZORVANE_BENCH_CLI;
  const char* write_to = std::getenv("ZORVANE_GOLDEN_WRITE");

  FavoritesSpec favourites_spec;
  favourites_spec.seed = 77;
  favourites_spec.shortcuts = 150;
  favourites_spec.other_files = 40;
  favourites_spec.folders = 8;
  favourites_spec.depth = 3;
  favourites_spec.max_address_bytes = 49;  // the length url.dat keeps whole
  ASSERT_TRUE(MakeDirectories(dir.str() + "/Favorites") && MakeDirectories(dir.str() + "/program"));
  const FavoritesTree tree =
      GenerateFavorites(*platform_, favourites_spec, dir.str() + "/Favorites");
  dir.Write("registry.reg", zorvane::testing::RegistryStoreNaming(dir.str() + "/Favorites"));
  const std::vector<std::pair<std::string, std::string>> environment = {
      {"HOME", dir.str() + "/home"},
      {"XDG_CONFIG_HOME", dir.str() + "/home/.config"},
      {"ZORVANE_REGISTRY", dir.str() + "/registry.reg"},
      {"LC_ALL", "C.UTF-8"}};
  const std::string program = dir.str() + "/program";
  ASSERT_EQ(RunProcess({cli, "--program-dir", program, "build"}, environment, "", "").exit_status,
            0);
  const std::string built_settings = ReadWholeFile(program + "/zorvane.ini");

  CacheSpec cache_spec;
  cache_spec.seed = 78;
  cache_spec.entries = 3000;
  cache_spec.favourite_share = 0.2;
  cache_spec.japanese_share = 0.3;
  std::string list = dir.str() + "/cache.txt";
  {
    CacheGenerator generator(cache_spec, tree.addresses);
    ASSERT_GT(WriteCacheList(list, generator), 0u);
  }
  std::string index;
  {
    CacheGenerator generator(cache_spec, tree.addresses);
    std::uint64_t bytes = 0;
    for (const std::string& file :
         WriteIeIndexFiles(*platform_, dir.str() + "/index", generator, &bytes)) {
      index += (index.empty() ? "" : ":") + file;
    }
  }
  PlacesSpec places_spec;
  places_spec.seed = 79;
  places_spec.places = 2000;
  places_spec.favourite_share = 0.05;
  places_spec.japanese_share = 0.3;
  places_spec.redirect_share = 0.1;
  PlacesSummary summary;
  const std::string places = dir.str() + "/places.sqlite";
  ASSERT_TRUE(WritePlacesDatabase(places, places_spec, tree.addresses, &summary));

  const std::pair<std::string, std::string> sources[] = {
      {"cache-list", list},
      {"index-dat", index},
      {"places-sqlite", places},
      {"all-three", places + ":" + list + ":" + index + ":" + places},
  };
  for (const auto& [name, source] : sources) {
    SCOPED_TRACE(name);
    std::vector<std::pair<std::string, std::string>> rank_environment = environment;
    rank_environment.emplace_back("ZORVANE_URL_CACHE", source);
    dir.Write("program/zorvane.ini", built_settings);
    std::string result;
    for (int run = 1; run <= 2; ++run) {
      const std::string out = dir.str() + "/out.txt";
      const ProcessResult ranked =
          RunProcess({cli, "--program-dir", program, "rank"}, rank_environment, out, "");
      result += "== rank " + std::to_string(run) + ", exit " + std::to_string(ranked.exit_status) +
                "\n" + ReadWholeFile(out) + "== zorvane.ini\n" +
                ReadWholeFile(program + "/zorvane.ini");
    }
    const std::string golden = std::string(ZORVANE_GOLDEN_DIR) + "/" + name + ".txt";
    if (write_to != nullptr) {
      std::ofstream(std::string(write_to) + "/" + name + ".txt", std::ios::binary) << result;
      continue;
    }
    const std::string expected = ReadWholeFile(golden);
    ASSERT_FALSE(expected.empty()) << golden;
    EXPECT_TRUE(result == expected) << "differs from " << golden << ":\n" << result;
  }
}

}  // namespace
}  // namespace zorvane::bench
