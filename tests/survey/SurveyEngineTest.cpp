// SPDX-License-Identifier: MIT
#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/FakeFileSystem.h"
#include "support/RecordingSink.h"
#include "survey/SurveyEngine.h"

namespace trelmark::survey {
namespace {

using test::FakeFileSystem;
using test::FakeOp;
using test::RecordingSink;
using Log = std::vector<std::string>;

// Every yield and every report of the rows taken, none skipped for time.
const SurveyOptions kQuick{util::PathStyle::Posix, std::chrono::milliseconds(0), 0,
                           std::chrono::milliseconds(0)};

// /data holds 30 bytes of its own and two sub-directories: a (150 bytes, one level deeper) and b (200).
class SurveyEngineTest : public ::testing::Test {
protected:
    explicit SurveyEngineTest(char separator = '/') {
        auto system = std::make_unique<FakeFileSystem>(separator);
        fake = system.get();
        state.fsoSystem = std::move(system);
        if (separator == '/') {
            fake->addDrive("/", "/", 1000, 400);
            fake->addFile("/data", "f1", 10);
            fake->addFile("/data", "f2", 20);
            fake->addFile("/data/a", "g", 100);
            fake->addFile("/data/a/x", "h", 50);
            fake->addFile("/data/b", "i", 200);
            directory = "/data";
        }
    }

    [[nodiscard]] SurveyEngine& engine(SurveyOptions options = kQuick) {
        m_engine = std::make_unique<SurveyEngine>(state, view, options, &view);
        return *m_engine;
    }
    void run(SurveyOptions options = kQuick) { engine(options).run(directory, {count}); }
    void stop() { m_engine->stop(); }
    SurveyEngine::Revisit revisit(std::string_view path) { return m_engine->revisit(path, {count}); }
    [[nodiscard]] Log cellsOf(int row) const {
        Log texts;
        for (int column = 0; column < 6; ++column) {
            texts.push_back(view.text(row, column));
        }
        return texts;
    }
    void expectIdle() const {
        EXPECT_FALSE(state.flagRunning);
        EXPECT_TRUE(view.enabled);
        EXPECT_FALSE(view.busy);
        EXPECT_FALSE(view.exitStops);
        EXPECT_FALSE(fake->hasProgressHandler());
        EXPECT_FALSE(m_engine->running());
        EXPECT_EQ(view.log.back().substr(0, 5), "ended");
    }
    // The log without the yields and the walk's reports, whose number is the fake's business.
    [[nodiscard]] Log writes() const {
        Log kept;
        for (const std::string& line : view.log) {
            if (line != "yield" && !line.starts_with("walkProgress")) {
                kept.push_back(line);
            }
        }
        return kept;
    }

    ProgramState state;
    RecordingSink view;
    FakeFileSystem* fake = nullptr;
    std::string directory;
    bool count = true;

private:
    std::unique_ptr<SurveyEngine> m_engine;
};

// What a complete run writes once its walk is done, in this order.
const Log kCompleteRun = {
    "EnableControls false", "exitStops true", "busy true", "drive 1,000 400", "clearRows", "setRowCount 4",
    "row 1 Name ALL FILES", "row 1 Size 380", "row 1 TotalShare 38.00 %", "row 1 Files 5", "row 1 Dirs 3",
    "row 2 Name .", "row 2 Size 30", "row 2 TotalShare 3.00 %", "row 2 Files 2", "row 2 Dirs 2",
    "row 3 Name a", "row 3 Size 150", "row 3 TotalShare 15.00 %", "row 3 Files 2", "row 3 Dirs 1",
    "row 4 Name b", "row 4 Size 200", "row 4 TotalShare 20.00 %", "row 4 Files 1", "row 4 Dirs 0",
    // The share pass, once every size is known.
    "row 2 UsedShare 7.89 %", "row 3 UsedShare 39.47 %", "row 4 UsedShare 52.63 %", "EnableControls true",
    "exitStops false", "busy false", "ended Completed"};

TEST_F(SurveyEngineTest, ACompleteRunWritesEveryFigureInItsOrder) {
    fake->setWalkReports(0);  // a walk too quick to report: no rows before its end
    run();
    EXPECT_EQ(writes(), kCompleteRun);
    // Each sub-directory of either pass is preceded by a yield, where a stop can arrive.
    for (const std::string line :
         {"row 3 Name a", "row 4 Name b", "row 3 UsedShare 39.47 %", "row 4 UsedShare 52.63 %"}) {
        const auto at = std::find(view.log.begin(), view.log.end(), line);
        ASSERT_NE(at, view.log.end()) << line;
        EXPECT_EQ(*(at - 1), "yield") << line;
    }
    EXPECT_EQ(view.row(1)->kind, RowKind::AllFiles);
    EXPECT_EQ(view.row(2)->kind, RowKind::OwnFiles);
    EXPECT_EQ(view.row(4)->kind, RowKind::SubDirectory);
    EXPECT_EQ(view.row(1)->measuredBytes, (fs::Figure{380, true}));
    EXPECT_FALSE(view.row(3)->measuredBytes);
    expectIdle();
    EXPECT_FALSE(state.flagCancel);
}

TEST_F(SurveyEngineTest, RowsGrowWhileTheWalkRunsAndEndAsAfterAQuickWalk) {
    run();
    // At the walk's first report the listing is known and a is done: every row is there, the ones still
    // growing marked as lower bounds.
    const auto at = std::find(view.log.begin(), view.log.end(), "walkProgress 10");
    const Log first(std::find(view.log.begin(), view.log.end(), "clearRows") + 1, at);
    const Log expectedFirst = {"setRowCount 4",
                               "row 1 Name ALL FILES",
                               "row 1 Size 180+",
                               "row 1 TotalShare 18.00 %+",
                               "row 1 Files 4+",
                               "row 1 Dirs 3+",
                               "row 2 Name .",
                               "row 2 Size 30",
                               "row 2 TotalShare 3.00 %",
                               "row 2 Files 2",
                               "row 2 Dirs 2",
                               "row 3 Name a",
                               "row 3 Size 150",
                               "row 3 TotalShare 15.00 %",
                               "row 3 Files 2",
                               "row 3 Dirs 1",
                               "row 4 Name b",
                               "row 4 Size 0+",
                               "row 4 TotalShare 0.00 %+",
                               "row 4 Files 0+",
                               "row 4 Dirs 0+",
                               "yield"};
    EXPECT_EQ(first, expectedFirst);
    // The second report hands over only what changed: b is done, and with it ALL FILES.
    const auto second = std::find(view.log.begin(), view.log.end(), "walkProgress 20");
    Log changed(at + 1, second);
    std::erase(changed, "yield");
    EXPECT_EQ(changed, (Log{"row 1 Size 380", "row 1 TotalShare 38.00 %", "row 1 Files 5", "row 1 Dirs 3",
                            "row 4 Size 200", "row 4 TotalShare 20.00 %", "row 4 Files 1", "row 4 Dirs 0"}));
    // Once the walk is done the rows are written as after a walk too quick to report, the grid already
    // sized.
    Log rest(second + 1, view.log.end());
    std::erase(rest, "yield");
    const Log expected(std::find(kCompleteRun.begin(), kCompleteRun.end(), "row 1 Name ALL FILES"),
                       kCompleteRun.end());
    EXPECT_EQ(rest, expected);
    EXPECT_EQ(view.lines("setRowCount").size(), 1u);
    expectIdle();
}

TEST_F(SurveyEngineTest, ARunCostsOneWalkAndNoFileListing) {
    run();
    EXPECT_EQ(fake->walks(), 1);
    EXPECT_EQ(fake->calls(FakeOp::NextFile), 0);
    EXPECT_EQ(fake->calls(FakeOp::GetDrive), 2);  // the drive, and the root rule's look at it
}

TEST_F(SurveyEngineTest, TwoRunsInARowEachStartFromAnEmptyGrid) {
    run();
    fake->removeFolder("/data/b");
    state.flagCancel = true;  // left over, as after a stopped run without sub-directories
    view.clearLog();
    run();
    EXPECT_EQ(view.lines("clearRows").size(), 1u);
    EXPECT_EQ(view.rows, 4);
    EXPECT_EQ(view.text(4, 0), "");
    EXPECT_EQ(view.text(3, 3), "83.33 %");
    EXPECT_EQ(fake->walks(), 2);
    expectIdle();
}

TEST_F(SurveyEngineTest, CountingOffRunsNoTallyAndLeavesTheCountsEmpty) {
    count = false;
    run();
    for (int row = 1; row <= 4; ++row) {
        EXPECT_EQ(view.text(row, 4), "") << row;
        EXPECT_EQ(view.text(row, 5), "") << row;
    }
    EXPECT_EQ(fake->calls(FakeOp::GetFolder), 1);
    EXPECT_EQ(view.text(4, 3), "52.63 %");
}

TEST_F(SurveyEngineTest, WithoutSubDirectoriesTheRunEndsAfterTheOwnFiles) {
    directory = "/data/b";
    run();
    EXPECT_EQ(view.rows, 3);
    EXPECT_EQ(cellsOf(1), (Log{"ALL FILES", "200", "20.00 %", "", "1", "0"}));
    EXPECT_EQ(cellsOf(2), (Log{".", "200", "20.00 %", "", "1", "0"}));
    expectIdle();
}

TEST_F(SurveyEngineTest, ADriveThatCannotBeLookedUpChangesNothing) {
    run();
    const auto grid = view.grid;
    view.clearLog();
    fake->fail(FakeOp::GetDrive, "/");
    run();
    EXPECT_EQ(writes(), (Log{"EnableControls false", "exitStops true", "busy true",
                             "lookupFailed drive /data Permission denied", "EnableControls true",
                             "exitStops false", "busy false", "ended NotFound"}));
    EXPECT_EQ(view.driveTotal, "1,000");
    EXPECT_EQ(view.grid.size(), grid.size());
    expectIdle();
}

TEST_F(SurveyEngineTest, AFolderThatCannotBeLookedUpLeavesThePreviousRows) {
    run();
    fake->addDrive("/mnt", "/mnt", 7000, 6000);
    directory = "/mnt/gone";
    view.clearLog();
    run();
    EXPECT_EQ(view.driveTotal, "7,000");
    EXPECT_EQ(view.text(4, 0), "b");
    EXPECT_EQ(view.lines("lookupFailed"), (Log{"lookupFailed folder /mnt/gone No such file or directory"}));
    EXPECT_TRUE(view.lines("clearRows").empty());
    expectIdle();
}

TEST_F(SurveyEngineTest, AFailedTallyIsReportedAndEndsTheRun) {
    fake->fail(FakeOp::Files, "/data/a/x");
    run();
    ASSERT_EQ(view.failures.size(), 1u);
    EXPECT_EQ(view.failures[0].path, "/data/a");
    EXPECT_EQ(view.failures[0].step, FailedStep::Count);
    // Row 1's tally failed too, silently, and shows what it reached.
    EXPECT_EQ(cellsOf(1), (Log{"ALL FILES", "380", "38.00 %", "", "3+", "3+"}));
    // The failing row shows what its tally reached, the rows after it what the walk measured.
    EXPECT_EQ(cellsOf(3), (Log{"a", "150", "15.00 %", "", "1+", "1+"}));
    EXPECT_EQ(cellsOf(4), (Log{"b", "200", "20.00 %", "", "1", "0"}));
    EXPECT_EQ(view.text(2, 3), "");
    const Log tail(view.log.end() - 5, view.log.end());
    EXPECT_EQ(tail, (Log{"failed Count /data/a", "EnableControls true", "exitStops false", "busy false",
                         "ended Failed"}));
    expectIdle();
}

TEST_F(SurveyEngineTest, ASizeThatCannotBeReadEndsTheRunLikeAFailedTally) {
    fake->fail(FakeOp::Size, "/data/b");
    run();
    ASSERT_EQ(view.failures.size(), 1u);
    EXPECT_EQ(view.failures[0].path, "/data/b");
    EXPECT_EQ(view.failures[0].step, FailedStep::Size);
    EXPECT_TRUE(view.failures[0].error);
    // What the walk measured of b while it ran stays: only the run's own question failed.
    EXPECT_EQ(cellsOf(4), (Log{"b", "200", "20.00 %", "", "1", "0"}));
    EXPECT_EQ(view.text(2, 3), "");
    expectIdle();
}

TEST_F(SurveyEngineTest, AStopBeforeAQuickWalkKeepsEveryRowItMeasured) {
    fake->setWalkReports(0);
    view.atYieldAfter("", [&] { stop(); });
    run();
    EXPECT_EQ(view.end, SurveyEnd::Stopped);
    // The walk was done before the stop was seen: its figures are exact, and no tally is needed for them.
    EXPECT_EQ(cellsOf(1), (Log{"ALL FILES", "380", "38.00 %", "", "5", "3"}));
    EXPECT_EQ(cellsOf(2), (Log{".", "30", "3.00 %", "7.89 %", "2", "2"}));
    EXPECT_EQ(cellsOf(3), (Log{"a", "150", "15.00 %", "", "2", "1"}));
    EXPECT_EQ(cellsOf(4), (Log{"b", "200", "20.00 %", "", "1", "0"}));
    EXPECT_FALSE(state.flagCancel);  // the share pass took the stop
    expectIdle();
}

TEST_F(SurveyEngineTest, AStopDuringTheWalkKeepsEveryRowWithThePartialFiguresReached) {
    view.atYieldAfter("clearRows", [&] { stop(); });  // inside the walk's first report
    run();
    EXPECT_EQ(view.lines("walkProgress"), (Log{"walkProgress 10"}));
    EXPECT_EQ(view.end, SurveyEnd::Stopped);
    EXPECT_EQ(cellsOf(1), (Log{"ALL FILES", "380+", "38.00 %+", "", "5+", "3+"}));
    EXPECT_EQ(cellsOf(2), (Log{".", "30+", "3.00 %+", "7.89 %+", "2+", "2+"}));
    EXPECT_EQ(cellsOf(3), (Log{"a", "150+", "15.00 %+", "", "2+", "1+"}));
    EXPECT_EQ(cellsOf(4), (Log{"b", "200+", "20.00 %+", "", "1+", "0+"}));
    EXPECT_EQ(view.lines("setRowCount").size(), 1u);
    expectIdle();
}

TEST_F(SurveyEngineTest, AStopWithoutSubDirectoriesStaysSetUntilTheNextRun) {
    directory = "/data/b";
    view.atYieldAfter("", [&] { stop(); });
    run();
    EXPECT_TRUE(state.flagCancel);
    EXPECT_EQ(view.text(2, 3), "");
    expectIdle();
}

TEST_F(SurveyEngineTest, AStopDuringTheSizePassStillWritesEveryRowTheWalkMeasured) {
    fake->setWalkReports(0);
    view.atYieldAfter("row 3 Name", [&] { stop(); });  // inside a's tally, before a/x
    run();
    // The tally gives way to the walk's own counts, complete here.
    EXPECT_EQ(cellsOf(3), (Log{"a", "150", "15.00 %", "", "2", "1"}));
    EXPECT_EQ(cellsOf(4), (Log{"b", "200", "20.00 %", "", "1", "0"}));
    EXPECT_EQ(view.text(2, 3), "7.89 %");
    EXPECT_EQ(view.text(3, 3), "");
    EXPECT_FALSE(state.flagCancel);
    expectIdle();
}

TEST_F(SurveyEngineTest, AStopDuringTheSharePassKeepsTheSharesBeforeIt) {
    view.atYieldAfter("row 3 UsedShare", [&] { stop(); });  // the share pass's second sub-directory
    run();
    EXPECT_EQ(view.text(3, 3), "39.47 %");
    EXPECT_EQ(view.text(4, 3), "");
    EXPECT_EQ(view.text(4, 5), "0");
    EXPECT_FALSE(state.flagCancel);
    expectIdle();
}

TEST_F(SurveyEngineTest, ClosingTheWindowDuringARunEndsItCleanly) {
    // Between a's row and b's: what the window does when it is closed.
    fake->setWalkReports(0);
    view.atYieldAfter("row 3 Dirs", [&] { stop(); });
    run();
    EXPECT_EQ(view.text(3, 5), "1");
    EXPECT_EQ(cellsOf(4), (Log{"b", "200", "20.00 %", "", "1", "0"}));
    EXPECT_EQ(view.text(4, 3), "");
    expectIdle();
}

TEST_F(SurveyEngineTest, ARunAskedForDuringARunIsIgnoredAndAStopWhenIdleIsNothing) {
    SurveyEngine& subject = engine();
    subject.stop();
    EXPECT_FALSE(state.flagCancel);
    view.atYieldAfter("", [&] { subject.run("/data/a", {true}); });
    subject.run(directory, {true});
    EXPECT_EQ(view.lines("clearRows").size(), 1u);
    EXPECT_EQ(view.text(3, 0), "a");
    EXPECT_EQ(view.end, SurveyEnd::Completed);
}

TEST_F(SurveyEngineTest, ThrottledYieldsNeverSkipTheOnesBeforeEachSubDirectory) {
    run({util::PathStyle::Posix, std::chrono::hours(1)});
    // Step 6, then two in each pass; the walk's and the tallies' fall within the hour.
    EXPECT_EQ(view.yields, 5);
    EXPECT_EQ(view.lines("walkProgress").size(), 2u);
}

TEST_F(SurveyEngineTest, UnreadablePartsMarkEveryFigureTheyTouch) {
    fake->markUnreadable("/data/a/x");
    SurveyOptions options{util::PathStyle::Posix, std::chrono::milliseconds(0), 10};
    run(options);
    EXPECT_EQ(cellsOf(1), (Log{"ALL FILES", "380+", "38.00 %+", "", "5+", "3+"}));
    EXPECT_EQ(cellsOf(2), (Log{".", "30", "3.00 %", "7.89 %+", "2", "2"}));
    EXPECT_EQ(cellsOf(3), (Log{"a", "150+", "15.00 %+", "39.47 %+", "2+", "1+"}));
    EXPECT_EQ(cellsOf(4), (Log{"b", "200", "20.00 %", "52.63 %+", "1", "0"}));
    ASSERT_EQ(view.problems.size(), 1u);
    EXPECT_EQ(view.problems[0].path, "/data/a/x");
}

TEST_F(SurveyEngineTest, ZeroDenominatorsGiveZeroShares) {
    fake->addDrive("/empty", "/empty", 0, 0);
    fake->addFile("/empty/d", "zero", 0);
    fake->addFile("/empty", "zero", 0);
    directory = "/empty";
    run();
    EXPECT_EQ(cellsOf(1), (Log{"ALL FILES", "0", "0.00 %", "", "2", "1"}));
    EXPECT_EQ(cellsOf(2), (Log{".", "0", "0.00 %", "0.00 %", "1", "1"}));
    EXPECT_EQ(cellsOf(3), (Log{"d", "0", "0.00 %", "0.00 %", "1", "0"}));
}

TEST_F(SurveyEngineTest, SubDirectoriesBeyondTheRowsGetNoRowAndNoShare) {
    // Appears after the grid was sized.
    fake->onCall(FakeOp::Size, "/data", [&] { fake->addFile("/data/c", "late", 1000); });
    run();
    EXPECT_EQ(view.rows, 5);
    EXPECT_EQ(view.text(5, 0), "");
    EXPECT_EQ(view.text(2, 3), "7.89 %");  // the late one is not in the sum
}

TEST_F(SurveyEngineTest, SubDirectoriesThatVanishLeaveTheirRowsEmpty) {
    fake->onCall(FakeOp::Size, "/data", [&] { fake->removeFolder("/data/a"); });
    run();
    EXPECT_EQ(view.rows, 5);
    EXPECT_EQ(cellsOf(3), (Log{"b", "200", "20.00 %", "86.96 %", "1", "0"}));
    EXPECT_EQ(cellsOf(4), (Log{"", "", "", "", "", ""}));
    expectIdle();
}

TEST_F(SurveyEngineTest, ARootRowShowsTheDrive) {
    fake->addFile("/", "top", 5);
    directory = "/";
    run();
    EXPECT_EQ(cellsOf(1)[1], "1,000");
    EXPECT_EQ(cellsOf(1)[2], "100.00 %");
    // What the walk measured travels beside the drive's size, for the report's machine formats.
    EXPECT_EQ(view.row(1)->measuredBytes, (fs::Figure{385, true}));
    EXPECT_EQ(view.text(3, 0), "data");
}

TEST_F(SurveyEngineTest, ARevisitInsideTheWalkLooksNothingUpAndWritesWhatAFreshRunWould) {
    fake->setWalkReports(0);  // a revisit has no walk, and so no rows while it runs
    directory = "/data/a";
    run();
    const Log fresh = writes();
    directory = "/data";
    run();
    const int walks = fake->walks();
    const int folders = fake->calls(FakeOp::GetFolder);
    const int drives = fake->calls(FakeOp::GetDrive);
    view.clearLog();
    EXPECT_EQ(revisit("/data/a"), SurveyEngine::Revisit::Shown);
    EXPECT_EQ(writes(), fresh);
    EXPECT_EQ(fake->walks(), walks);
    EXPECT_EQ(fake->calls(FakeOp::GetFolder), folders);
    EXPECT_EQ(fake->calls(FakeOp::GetDrive), drives);
    // Back up to the walk's own directory, and the kept walk still answers.
    view.clearLog();
    EXPECT_EQ(revisit("/data"), SurveyEngine::Revisit::Shown);
    EXPECT_EQ(cellsOf(1), (Log{"ALL FILES", "380", "38.00 %", "", "5", "3"}));
    EXPECT_EQ(fake->walks(), walks);
    expectIdle();
}

TEST_F(SurveyEngineTest, OnlyACompletedRunKeepsItsWalkAndOnlyForPathsInsideIt) {
    SurveyEngine& survey = engine();
    EXPECT_EQ(survey.revisit("/data", {}), SurveyEngine::Revisit::OutsideWalk);
    survey.run("/data", {});
    ASSERT_TRUE(survey.walkTime());
    EXPECT_TRUE(survey.walkHolds("/data/a/x"));
    EXPECT_FALSE(survey.walkHolds("/database"));
    view.clearLog();
    for (const char* outside : {"/", "/database", "/data/nothere", "/data/a/x/y"}) {
        EXPECT_EQ(survey.revisit(outside, {}), SurveyEngine::Revisit::OutsideWalk) << outside;
    }
    EXPECT_TRUE(view.log.empty());

    view.atYieldAfter("", [this] { stop(); });
    survey.run("/data", {});
    EXPECT_FALSE(survey.walkTime());
    EXPECT_EQ(survey.revisit("/data/a", {}), SurveyEngine::Revisit::OutsideWalk);
}

class BackslashSurveyTest : public SurveyEngineTest {
protected:
    BackslashSurveyTest() : SurveyEngineTest('\\') {
        fake->addDrive("C:", "C:\\", 2000, 100);
        fake->addFile("C:\\", "pagefile", 500);
        fake->addFile("C:\\Data", "d", 300);
        fake->addFile("C:\\System Volume Information", "catalog", 40);
        fake->addFile("C:\\System Volume Information2", "x", 60);
        fake->addFile("C:\\Data\\System Volume Information", "y", 70);
        directory = "c:\\";
    }
    void runBackslash() { run({util::PathStyle::Backslash, std::chrono::milliseconds(0)}); }
};

TEST_F(BackslashSurveyTest, TheRootRuleIgnoresCase) {
    runBackslash();
    EXPECT_EQ(cellsOf(1), (Log{"ALL FILES", "2,000", "100.00 %", "", "5", "4"}));
    EXPECT_EQ(fake->calls(FakeOp::GetDrive, "C:"), 2);
}

TEST_F(BackslashSurveyTest, SystemVolumeInformationIsNeverMeasuredAtTheRoot) {
    runBackslash();
    EXPECT_EQ(cellsOf(3), (Log{"Data", "370", "18.50 %", "42.53 %", "2", "1"}));
    EXPECT_EQ(cellsOf(4), (Log{"System Volume Information", "0", "0.00 %", "0.00 %", "1", "0"}));
    EXPECT_EQ(cellsOf(5), (Log{"System Volume Information2", "0", "0.00 %", "0.00 %", "1", "0"}));
    EXPECT_EQ(view.text(2, 3), "57.47 %");  // 500 of 870: neither system directory adds to the sum
    EXPECT_EQ(fake->calls(FakeOp::Size, "C:\\System Volume Information"), 0);
}

TEST_F(BackslashSurveyTest, SystemVolumeInformationBelowTheRootIsMeasured) {
    directory = "C:\\Data";
    runBackslash();
    EXPECT_EQ(cellsOf(1)[1], "370");
    EXPECT_EQ(cellsOf(3), (Log{"System Volume Information", "70", "3.50 %", "18.92 %", "1", "0"}));
}

TEST_F(BackslashSurveyTest, ATallyFailureUnderTheRuleIsStillReported) {
    fake->fail(FakeOp::Files, "C:\\System Volume Information");
    runBackslash();
    ASSERT_EQ(view.failures.size(), 1u);
    EXPECT_EQ(view.failures[0].path, "C:\\System Volume Information");
}

}  // namespace
}  // namespace trelmark::survey
