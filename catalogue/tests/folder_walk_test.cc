#include "catalogue/folder_walk.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "catalogue/file_listing.h"
#include "platform/memory/memory_platform.h"

namespace zorvane {
namespace {

constexpr std::uint32_t kLink = kFileAttributeDirectory | kFileAttributeReparsePoint;

TEST(FolderWalkTest, ListsDepthFirstInEnumerationOrder) {
  MemoryPlatform tree;
  tree.AddFolder("/fav/b/.hidden/deep");
  tree.SetAttributes("/fav/b/.hidden", kFileAttributeHidden);
  tree.AddFile("/fav/x.url", "");
  tree.AddFolder("/fav/A/X");
  FolderWalk walk(tree);
  EXPECT_EQ(walk.GetFolderList("/fav"), 5);
  EXPECT_EQ(walk.strFolderList(),
            (std::vector<std::string>{"/fav", "/fav/A", "/fav/A/X", "/fav/b", "/fav/b/.hidden",
                                      "/fav/b/.hidden/deep"}));
  EXPECT_EQ(walk.lngFolderCount(), 6);
}

TEST(FolderWalkTest, KeepsTheRootAsGivenAndEnsuresOneSeparatorBelowIt) {
  MemoryPlatform tree(MemoryPlatform::WindowsOptions());
  tree.AddFolder("C:\\Favorites\\News\\Local");
  FolderWalk walk(tree);
  EXPECT_EQ(walk.GetFolderList("C:\\Favorites\\"), 2);
  EXPECT_EQ(walk.strFolderList(),
            (std::vector<std::string>{"C:\\Favorites\\", "C:\\Favorites\\News",
                                      "C:\\Favorites\\News\\Local"}));
}

TEST(FolderWalkTest, FailsOnAMissingRootOrAFile) {
  MemoryPlatform tree;
  tree.AddFile("/file.url", "");
  FolderWalk walk(tree);
  EXPECT_EQ(walk.GetFolderList("/missing"), -1);
  EXPECT_EQ(walk.strFolderList(), std::vector<std::string>{""});
  EXPECT_EQ(walk.GetFolderList("/file.url"), -1);
}

TEST(FolderWalkTest, ASecondWalkStartsAfresh) {
  MemoryPlatform tree;
  tree.AddFolder("/a/sub");
  tree.AddFolder("/b");
  FolderWalk walk(tree);
  EXPECT_EQ(walk.GetFolderList("/a"), 1);
  EXPECT_EQ(walk.GetFolderList("/b"), 0);
  EXPECT_EQ(walk.strFolderList(), std::vector<std::string>{"/b"});
}

TEST(FolderWalkTest, NeverEntersLinksAndSkipsUnlistableFolders) {
  MemoryPlatform tree;
  tree.AddFolder("/fav/loop/never");
  tree.SetAttributes("/fav/loop", kLink);
  tree.AddFolder("/fav/locked/inside");
  tree.MakeUnreadable("/fav/locked");
  tree.AddFolder("/fav/open");
  FolderWalk walk(tree);
  EXPECT_EQ(walk.GetFolderList("/fav"), 2);
  EXPECT_EQ(walk.strFolderList(), (std::vector<std::string>{"/fav", "/fav/locked", "/fav/open"}));
}

TEST(FolderWalkTest, LeavesOutTheFoldersItIsToldTo) {
  MemoryPlatform tree;
  tree.AddFolder("/fav/a/skip/below");
  tree.AddFolder("/fav/b");
  FolderWalk walk(tree, [](const std::string& parent, const DirEntry& entry) {
    return parent == "/fav/a/" && entry.name == "skip";
  });
  EXPECT_EQ(walk.GetFolderList("/fav"), 2);
  EXPECT_EQ(walk.strFolderList(), (std::vector<std::string>{"/fav", "/fav/a", "/fav/b"}));
}

TEST(FolderWalkTest, WalksVeryDeepTreesWithoutRecursion) {
  MemoryPlatform tree;
  std::string path = "/r";
  constexpr int kDepth = 5000;
  for (int i = 0; i < kDepth; ++i) path += "/d";
  tree.AddFolder(path);
  FolderWalk walk(tree);
  EXPECT_EQ(walk.GetFolderList("/r"), kDepth);
  EXPECT_EQ(walk.strFolderList().back(), path);
}

TEST(FileListingTest, KeepsVisibleFilesInCaseInsensitiveOrder) {
  MemoryPlatform tree;
  tree.AddFile("/f/b.url", "");
  tree.AddFolder("/f/Sub");
  tree.AddFile("/f/A.url", "");
  tree.AddFile("/f/.secret.url", "", kFileAttributeHidden);
  tree.AddFile("/f/sys.url", "", kFileAttributeSystem);
  tree.AddFile("/f/a.txt", "", kFileAttributeReadOnly);
  tree.AddFile("/f/C", "");
  EXPECT_EQ(ListFolderFiles(tree, "/f"),
            (std::vector<std::string>{"a.txt", "A.url", "b.url", "C"}));
  tree.AddFolder("/g");
  tree.MakeUnreadable("/g");
  EXPECT_TRUE(ListFolderFiles(tree, "/g").empty());
}

}  // namespace
}  // namespace zorvane
