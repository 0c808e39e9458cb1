// zorvane-cli's contract: commands run in order on one window state; output lines and
// exit status as documented in cli/driver.h.
#include "cli/driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>

#include "tests/support/test_support.h"

namespace zorvane {
namespace {

using testing::ScopedEnv;
using testing::ShortcutBytes;
using testing::TempDir;

class CliTest : public ::testing::Test {
 protected:
  CliTest()
      : registry_env_("ZORVANE_REGISTRY", (root_.path() / "registry.reg").string()),
        cache_env_("ZORVANE_URL_CACHE", (root_.path() / "cache.txt").string()),
        platform_(CreateDefaultPlatform()) {
    std::filesystem::create_directories(root_.path() / "program");
    root_.Write("registry.reg",
                testing::RegistryStoreNaming((root_.path() / "Favorites").string()));
  }

  struct Result {
    int status;
    std::string out, err;
  };
  Result Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--program-dir", (root_.path() / "program").string()});
    std::ostringstream out, err;
    const int status = RunCli(args, *platform_, {out, err, false});
    return {status, out.str(), err.str()};
  }

  TempDir root_;
  ScopedEnv registry_env_;
  ScopedEnv cache_env_;
  std::unique_ptr<Platform> platform_;
};

TEST_F(CliTest, UsageErrorsExitWithTwoAndSayWhyOnStderr) {
  const std::vector<std::vector<std::string>> cases = {
      {}, {"frobnicate"}, {"build", "--format", "csv"}, {"rank", "--format", "xml"},
      {"rank", "--format"}};
  for (const auto& args : cases) {
    std::ostringstream out, err;
    EXPECT_EQ(RunCli(args, *platform_, {out, err, false}), kExitUsage);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("usage: zorvane-cli"), std::string::npos);
  }
  std::ostringstream out, err;
  EXPECT_EQ(RunCli({"--program-dir"}, *platform_, {out, err, false}), kExitUsage);
}

TEST_F(CliTest, VersionPrintsTheAboutBoxTexts) {
  const Result result = Run({"version"});
  EXPECT_EQ(result.status, kExitOk);
  EXPECT_EQ(result.out, "Zorvaneのﾊﾞｰｼﾞｮﾝ情報\nZorvane\nﾊﾞｰｼﾞｮﾝ 0.0.2\n");
}

TEST_F(CliTest, BuildPrintsItsMessageAndWritesTheCatalogue) {
  root_.Write("Favorites/a.url", ShortcutBytes("http://a.example/"));
  const Result result = Run({"build"});
  EXPECT_EQ(result.status, kExitOk);
  EXPECT_EQ(result.out, "終了しました\n");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(root_.Read("program/url.dat"), "http://a.example/\r\n\r\n");
}

TEST_F(CliTest, BuildFailuresExitWithOneAndStopTheChain) {
  const Result result = Run({"build", "version"});
  EXPECT_EQ(result.status, kExitFailure);
  EXPECT_EQ(result.out, "お気にいりフォルダ一覧の取得に失敗\n");
  EXPECT_EQ(root_.Read("program/url.dat"), "<missing>");
}

}  // namespace
}  // namespace zorvane
