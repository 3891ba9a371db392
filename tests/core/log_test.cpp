#include "core/log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "core/msgbox.h"
#include "support/scripted_boxes.h"
#include "support/temp_dir.h"

namespace {

class LogTest : public testing::Test {
  protected:
    void SetUp() override { ResetLogsForTest(); }
    void TearDown() override { ResetLogsForTest(); }
    wftest::TempDir dir;
};

}  // namespace

TEST_F(LogTest, ReportIsTruncatedAtOpenAndAppendedLineByLine) {
    const std::string path = dir.File("Report_Game.txt");
    wftest::WriteBytes(path, wftest::BytesOf("old run\r\n"));
    EXPECT_EQ(ReportPrintf("before open"), 0);
    ASSERT_EQ(ReportOpen(path.c_str()), 1);
    EXPECT_EQ(wftest::ReadText(path), "");
    EXPECT_EQ(ReportPrintf("App : ver %s", "770"), 1);
    EXPECT_EQ(ReportPrintf("%d", 2), 1);
    // Text mode: every line ends in CR LF, inner line feeds too.
    EXPECT_EQ(ReportPrintf("a\nb"), 1);
    EXPECT_EQ(wftest::ReadText(path), "App : ver 770\r\n2\r\na\r\nb\r\n");
}

TEST_F(LogTest, ReportOpenFailureKeepsOldPath) {
    const std::string path = dir.File("r.txt");
    ASSERT_EQ(ReportOpen(path.c_str()), 1);
    EXPECT_EQ(ReportOpen(dir.File("missing/r.txt").c_str()), 0);
    EXPECT_EQ(ReportPath(), path);
    // A report file deleted under us: the line is dropped, not recreated.
    std::filesystem::remove(path);
    EXPECT_EQ(ReportPrintf("x"), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(LogTest, TraceOffWritesNothingAndCreatesNoFile) {
    const std::string report = dir.File("Report_Game.txt");
    const std::string trace = dir.File("EC_Game.txt");
    ASSERT_EQ(ReportOpen(report.c_str()), 1);
    TraceSetup(0, trace.c_str());
    TraceWrite("a");
    TracePrintf("%d", 1);
    EXPECT_EQ(ReportTracePrintf("both %d", 7), 1);
    EXPECT_FALSE(std::filesystem::exists(trace));
    EXPECT_EQ(wftest::ReadText(report), "both 7\r\n");
}

TEST_F(LogTest, FirstTraceWriteOfARunTruncatesLaterOnesAppend) {
    const std::string trace = dir.File("EC_Game.txt");
    wftest::WriteBytes(trace, wftest::BytesOf("previous run\r\n"));
    TraceSetup(1, trace.c_str());
    TraceWrite("one");
    EXPECT_EQ(wftest::ReadText(trace), "one\r\n");
    TracePrintf("two %s", "x");
    TraceWriteLine("three");
    EXPECT_EQ(wftest::ReadText(trace), "one\r\ntwo x\r\nthree\r\n");
}

TEST_F(LogTest, ReportTraceWithoutReportWritesNowhereAndTraceFatalAlwaysCloses) {
    wftest::PostedMessages posted;
    TraceFatal(nullptr, "fatal %d", 1);  // tracing is off
    EXPECT_EQ(posted.Count(WM_CLOSE), 1);
    const std::string trace = dir.File("EC_Game.txt");
    TraceSetup(1, trace.c_str());
    EXPECT_EQ(ReportTracePrintf("lost"), 0);
    EXPECT_FALSE(std::filesystem::exists(trace));

    const std::string report = dir.File("Report_Game.txt");
    ASSERT_EQ(ReportOpen(report.c_str()), 1);
    EXPECT_EQ(ReportTracePrintf("kept %d", 1), 1);
    EXPECT_EQ(wftest::ReadText(trace), "kept 1\r\n");
    EXPECT_EQ(wftest::ReadText(report), "kept 1\r\n");
}

TEST_F(LogTest, ReportTracePrintfBoxShowsTheLineAsAnError) {
    ASSERT_EQ(ReportOpen(dir.File("r.txt").c_str()), 1);
    wftest::ScriptedBoxes boxes;
    EXPECT_EQ(ReportTracePrintfBox("%s のロードに失敗！", "Anime.dat"), 1);
    const auto asked = boxes.Asked();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].captionSjis, "エラー");
    EXPECT_EQ(asked[0].textSjis, "Anime.dat のロードに失敗！");
    EXPECT_EQ(asked[0].type, MB_OK);
}

TEST_F(LogTest, LinesFromManyThreadsNeverInterleave) {
    const std::string path = dir.File("r.txt");
    ASSERT_EQ(ReportOpen(path.c_str()), 1);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 50; ++i) ReportPrintf("thread %d line %03d ----------", t, i);
        });
    for (auto& th : threads) th.join();
    // 200 lines of 28 bytes and CR LF each, every one whole where it stands.
    const std::string text = wftest::ReadText(path);
    ASSERT_EQ(text.size(), 200u * 30);
    for (size_t at = 0; at < text.size(); at += 30) {
        EXPECT_EQ(text.substr(at, 7), "thread ") << at;
        EXPECT_EQ(text.find("\r\n", at), at + 28) << at;
    }
}
