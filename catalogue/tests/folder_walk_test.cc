#include "catalogue/folder_walk.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "catalogue/file_listing.h"
#include "platform/forwarding_platform.h"

namespace zorvane {
namespace {

// A folder tree held in memory, listed in the order the entries were added.
class TreePlatform final : public ForwardingPlatform {
 public:
  explicit TreePlatform(char separator) : ForwardingPlatform(nullptr), separator_(separator) {}

  void AddFolder(const std::string& path) { attributes_[path] = kFileAttributeDirectory; }
  // Adds an entry to `folder`'s listing.
  void AddEntry(const std::string& folder, const std::string& name, std::uint32_t attributes) {
    listings_[folder].push_back({name, attributes});
  }
  void MakeUnlistable(const std::string& folder) { unlistable_.push_back(folder); }

  std::uint32_t GetFileAttributes(const std::string& path) override {
    const auto found = attributes_.find(path);
    return found == attributes_.end() ? kInvalidFileAttributes : found->second;
  }
  bool ListDirectory(const std::string& dir, std::vector<DirEntry>* entries) override {
    for (const std::string& folder : unlistable_) {
      if (folder == dir) return false;
    }
    const auto found = listings_.find(dir);
    *entries = found == listings_.end() ? std::vector<DirEntry>() : found->second;
    return true;
  }
  char PathSeparator() const override { return separator_; }
  bool FileNamesIgnoreCase() const override { return separator_ == '\\'; }

  std::map<std::string, std::uint32_t> attributes_;

 private:
  char separator_;
  std::map<std::string, std::vector<DirEntry>> listings_;
  std::vector<std::string> unlistable_;
};

constexpr std::uint32_t kDir = kFileAttributeDirectory;
constexpr std::uint32_t kFile = kFileAttributeNormal;

TEST(FolderWalkTest, ListsDepthFirstInEnumerationOrder) {
  TreePlatform tree('/');
  tree.AddFolder("/fav");
  tree.AddEntry("/fav", "B", kDir);
  tree.AddEntry("/fav", "x.url", kFile);
  tree.AddEntry("/fav", "A", kDir);
  tree.AddEntry("/fav/A", "X", kDir);
  tree.AddEntry("/fav/B", ".hidden", kDir | kFileAttributeHidden);
  tree.AddEntry("/fav/B/.hidden", "deep", kDir);
  FolderWalk walk(tree);
  EXPECT_EQ(walk.GetFolderList("/fav"), 5);
  EXPECT_EQ(walk.strFolderList(),
            (std::vector<std::string>{"/fav", "/fav/B", "/fav/B/.hidden", "/fav/B/.hidden/deep",
                                      "/fav/A", "/fav/A/X"}));
  EXPECT_EQ(walk.lngFolderCount(), 6);
}

TEST(FolderWalkTest, KeepsTheRootAsGivenAndEnsuresOneSeparatorBelowIt) {
  TreePlatform tree('\\');
  tree.AddFolder("C:\\Favorites\\");
  tree.AddEntry("C:\\Favorites\\", "News", kDir);
  tree.AddEntry("C:\\Favorites\\News", "Local", kDir);
  FolderWalk walk(tree);
  EXPECT_EQ(walk.GetFolderList("C:\\Favorites\\"), 2);
  EXPECT_EQ(walk.strFolderList(),
            (std::vector<std::string>{"C:\\Favorites\\", "C:\\Favorites\\News",
                                      "C:\\Favorites\\News\\Local"}));
}

TEST(FolderWalkTest, FailsOnAMissingRootOrAFile) {
  TreePlatform tree('/');
  tree.attributes_["/file.url"] = kFile;
  FolderWalk walk(tree);
  EXPECT_EQ(walk.GetFolderList("/missing"), -1);
  EXPECT_EQ(walk.strFolderList(), std::vector<std::string>{""});
  EXPECT_EQ(walk.GetFolderList("/file.url"), -1);
}

TEST(FolderWalkTest, ASecondWalkStartsAfresh) {
  TreePlatform tree('/');
  tree.AddFolder("/a");
  tree.AddFolder("/b");
  tree.AddEntry("/a", "sub", kDir);
  FolderWalk walk(tree);
  EXPECT_EQ(walk.GetFolderList("/a"), 1);
  EXPECT_EQ(walk.GetFolderList("/b"), 0);
  EXPECT_EQ(walk.strFolderList(), std::vector<std::string>{"/b"});
}

TEST(FolderWalkTest, NeverEntersLinksAndSkipsUnlistableFolders) {
  TreePlatform tree('/');
  tree.AddFolder("/fav");
  tree.AddEntry("/fav", "loop", kDir | kFileAttributeReparsePoint);
  tree.AddEntry("/fav/loop", "never", kDir);
  tree.AddEntry("/fav", "locked", kDir);
  tree.AddEntry("/fav", "open", kDir);
  tree.MakeUnlistable("/fav/locked");
  FolderWalk walk(tree);
  EXPECT_EQ(walk.GetFolderList("/fav"), 2);
  EXPECT_EQ(walk.strFolderList(), (std::vector<std::string>{"/fav", "/fav/locked", "/fav/open"}));
}

TEST(FolderWalkTest, WalksVeryDeepTreesWithoutRecursion) {
  TreePlatform tree('/');
  tree.AddFolder("/r");
  std::string path = "/r";
  constexpr int kDepth = 5000;
  for (int i = 0; i < kDepth; ++i) {
    tree.AddEntry(path, "d", kDir);
    path += "/d";
  }
  FolderWalk walk(tree);
  EXPECT_EQ(walk.GetFolderList("/r"), kDepth);
  EXPECT_EQ(walk.strFolderList().back(), path);
}

TEST(FileListingTest, KeepsVisibleFilesInCaseInsensitiveOrder) {
  TreePlatform tree('/');
  tree.AddEntry("/f", "b.url", kFile);
  tree.AddEntry("/f", "Sub", kDir);
  tree.AddEntry("/f", "A.url", kFile);
  tree.AddEntry("/f", ".secret.url", kFile | kFileAttributeHidden);
  tree.AddEntry("/f", "sys.url", kFile | kFileAttributeSystem);
  tree.AddEntry("/f", "a.txt", kFile | kFileAttributeReadOnly);
  tree.AddEntry("/f", "C", kFile);
  EXPECT_EQ(ListFolderFiles(tree, "/f"), (std::vector<std::string>{"a.txt", "A.url", "b.url", "C"}));
  tree.MakeUnlistable("/g");
  EXPECT_TRUE(ListFolderFiles(tree, "/g").empty());
}

}  // namespace
}  // namespace zorvane
