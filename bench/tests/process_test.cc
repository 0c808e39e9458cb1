#include "bench/process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace zorvane::bench {
namespace {

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tmp = std::getenv("TMPDIR");
    dir_ = std::string(tmp != nullptr ? tmp : "/tmp") + "/zorvane-process-test-" +
           std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
           std::to_string(MonotonicNanoseconds());
    ASSERT_TRUE(MakeDirectories(dir_));
  }
  void TearDown() override { RemoveTree(dir_); }
  std::string dir_;
};

TEST_F(ProcessTest, ReportsExitStatusOutputAndEnvironment) {
  const std::string out = dir_ + "/out.txt";
  const ProcessResult result =
      RunProcess({"/bin/sh", "-c", "echo \"$BENCH_VALUE\"; echo oops >&2; exit 3"},
                 {{"BENCH_VALUE", "given"}}, out, dir_ + "/err.txt");
  EXPECT_TRUE(result.started);
  EXPECT_EQ(result.exit_status, 3);
  EXPECT_EQ(ReadWholeFile(out), "given\n");
  EXPECT_EQ(ReadWholeFile(dir_ + "/err.txt"), "oops\n");
  EXPECT_GT(result.seconds, 0.0);
  EXPECT_GT(result.peak_rss_kb, 0);
  EXPECT_LE(result.start_ns, MonotonicNanoseconds());
}

TEST_F(ProcessTest, ReportsAProgramThatCannotStart) {
  const ProcessResult result = RunProcess({dir_ + "/missing"}, {}, "", "");
  EXPECT_FALSE(result.started && result.exit_status == 0);
}

TEST_F(ProcessTest, PeakMemoryIsThatOfTheChild) {
  // A child that touches 64 MB reports at least that much; this process never did.
  const ProcessResult result =
      RunProcess({"/usr/bin/env", "python3", "-c", "b = b'x' * (64 << 20)"}, {}, "", "");
  if (result.exit_status != 0) GTEST_SKIP() << "python3 not available";
  EXPECT_GE(result.peak_rss_kb, 64 * 1024);
}

TEST_F(ProcessTest, MeasuredThroughTheHelperThePeakIsTheProgramsOwn) {
  const std::string out = dir_ + "/out.txt";
  const ProcessResult small = MeasureProcess(ZORVANE_BENCH_HELPER, dir_ + "/result.txt",
                                             {"/bin/sh", "-c", "echo \"$BENCH_VALUE\"; exit 4"},
                                             {{"BENCH_VALUE", "passed on"}}, out, "");
  EXPECT_TRUE(small.started);
  EXPECT_EQ(small.exit_status, 4);
  EXPECT_EQ(ReadWholeFile(out), "passed on\n");
  EXPECT_LT(small.peak_rss_kb, 16 * 1024);
  const ProcessResult big =
      MeasureProcess(ZORVANE_BENCH_HELPER, dir_ + "/result.txt",
                     {"/usr/bin/env", "python3", "-c", "b = b'x' * (64 << 20)"}, {}, "", "");
  if (big.exit_status != 0) GTEST_SKIP() << "python3 not available";
  EXPECT_GE(big.peak_rss_kb, 64 * 1024);
  EXPECT_GT(big.seconds, 0.0);
  const ProcessResult missing =
      MeasureProcess(ZORVANE_BENCH_HELPER, dir_ + "/result.txt", {dir_ + "/missing"}, {}, "", "");
  EXPECT_FALSE(missing.started);
}

TEST_F(ProcessTest, FileHelpers) {
  EXPECT_EQ(FileSize(dir_ + "/none"), -1);
  EXPECT_TRUE(MakeDirectories(dir_ + "/a/b"));
  ASSERT_TRUE(RunProcess({"/bin/sh", "-c", "printf 12345"}, {}, dir_ + "/a/five", "").started);
  EXPECT_EQ(FileSize(dir_ + "/a/five"), 5);
  EXPECT_TRUE(CopyFile(dir_ + "/a/five", dir_ + "/a/b/five"));
  EXPECT_EQ(ReadWholeFile(dir_ + "/a/b/five"), "12345");
  EXPECT_TRUE(RemoveFile(dir_ + "/a/b/five"));
  EXPECT_EQ(FileSize(dir_ + "/a/b/five"), -1);
  EXPECT_TRUE(RemoveTree(dir_ + "/a"));
  EXPECT_EQ(FileSize(dir_ + "/a"), -1);
}

}  // namespace
}  // namespace zorvane::bench
