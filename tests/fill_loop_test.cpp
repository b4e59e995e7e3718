// The cleaning job on a simulated drive: the write requests, the fill files,
// the log lines and the gauge, for every way a job can go.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "engine/clean_worker.h"
#include "engine/fill_files.h"
#include "fakes/fake_drive.h"
#include "fakes/fake_window.h"
#include "frame/run_state.h"

namespace {

using Runs = std::vector<std::pair<unsigned, unsigned>>; // (sectors asked, times in a row)
using Lines = std::vector<std::string>;

Runs RunLengths(const std::vector<unsigned>& requests) {
    Runs runs;
    for (unsigned r : requests) {
        if (!runs.empty() && runs.back().first == r) {
            ++runs.back().second;
        } else {
            runs.push_back({r, 1});
        }
    }
    return runs;
}

std::string Name(const char* counter) {
    char digits[16];
    FormatProcessIdBase32(GetCurrentProcessId(), digits);
    return std::string("E:\\_") + digits + "." + counter;
}

Lines MeasuringLines(unsigned long long sectors) {
    return {"Cleaning un-used sectors on drive E:",
            "Free space on drive E: is " + std::to_string(sectors * 512) + " in byte",
            "Free space on drive E: is " + std::to_string(sectors) + " in Sectors"};
}

Lines Creating(std::initializer_list<const char*> counters) {
    Lines lines;
    for (const char* c : counters) {
        lines.push_back("Creating file [" + Name(c) + "]");
    }
    return lines;
}

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class FillLoopTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static char buffer[kMessageBufferSize];
        gRunState.messageBuffer = buffer;
        gRunState.selectedDrive[0] = 'E';
        gRunState.selectedDrive[1] = ':';
        gRunState.selectedDrive[2] = '\0';
        gRunState.stopRequest = 0;
        ResetFakeDrive();
        ResetTempNames();
        gLoggedLines.clear();
        gGaugeCalls.clear();
    }

    // Nothing may be left on the drive, whatever the outcome.
    void ExpectDriveClean(unsigned long long freeAtStart) {
        for (const auto& file : gFakeDrive.files) {
            if (!file.first.empty() && file.first.find("_") != std::string::npos) {
                ADD_FAILURE() << "fill file left: " << file.first;
            }
        }
        EXPECT_EQ(gFakeDrive.freeSectors, freeAtStart);
        EXPECT_EQ(gFakeDrive.unflushedCloses, 0) << "every fill file is flushed before it is closed";
        for (const auto& file : gFakeDrive.openOrder) {
            EXPECT_FALSE(gFakeDrive.files.count(file) && gFakeDrive.files[file].open) << file << " left open";
        }
    }
};

TEST_F(FillLoopTest, SuccessfulFills) {
    struct Row {
        const char* name;
        unsigned long long sectors;
        Runs requests;
        std::initializer_list<const char*> files;
    } rows[] = {
        {"diskette", 2847, {{256, 11}, {31, 1}}, {"AAA"}},
        {"exactly one chunk", 256, {{256, 1}}, {"AAA"}},
        {"one sector", 1, {{1, 1}}, {"AAA"}},
        {"exactly one file: a second, empty one follows", 4194303, {{256, 16383}, {255, 1}}, {"AAA", "AAB"}},
        {"8 GiB: four full files and one of 4 sectors",
         16777216,
         {{256, 16383},
          {255, 1},
          {256, 16383},
          {255, 1},
          {256, 16383},
          {255, 1},
          {256, 16383},
          {255, 1},
          {4, 1}},
         {"AAA", "AAB", "AAC", "AAD", "AAE"}},
        {"less than a sector free", 0, {}, {"AAA"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetUp();
        gFakeDrive.freeSectors = row.sectors;
        EXPECT_EQ(RunCleaningJob(), kJobSucceeded);
        EXPECT_EQ(RunLengths(gFakeDrive.requests), row.requests);
        EXPECT_EQ(gLoggedLines,
                  MeasuringLines(row.sectors) + Creating(row.files) + Lines{"Operation succeeded"});
        ASSERT_FALSE(gGaugeCalls.empty());
        const GaugeCall& last = gGaugeCalls.back();
        EXPECT_EQ(last.value, 100u);
        EXPECT_EQ(last.letter, 'W');
        // One repaint per pass, every one green, never going back.
        unsigned previous = 0;
        for (const GaugeCall& call : gGaugeCalls) {
            EXPECT_EQ(call.maximum, 100u);
            EXPECT_EQ(call.letter, 'W');
            EXPECT_GE(call.value, previous);
            previous = call.value;
        }
        size_t passes = std::max<size_t>(gFakeDrive.requests.size(), 1);
        EXPECT_EQ(gGaugeCalls.size(), passes + 1);
        // Deleted in the order of creation.
        Lines names;
        for (const char* c : row.files) {
            names.push_back(Name(c));
        }
        EXPECT_EQ(gFakeDrive.deleted, names);
        ExpectDriveClean(row.sectors);
    }
}

TEST_F(FillLoopTest, DriveFillsUpEarly) {
    // Another program takes 1000 sectors after the second write: the write
    // that gets nothing is followed by a measurement that finds 0 free.
    gFakeDrive.freeSectors = 2000;
    gFakeDrive.shrinkAfterWrites = 2;
    gFakeDrive.shrinkBy = 1000;
    EXPECT_EQ(RunCleaningJob(), kJobSucceeded);
    EXPECT_EQ(RunLengths(gFakeDrive.requests), (Runs{{256, 5}}));
    EXPECT_EQ(gLoggedLines, MeasuringLines(2000) + Creating({"AAA"}) + Lines{"Operation succeeded"});
    EXPECT_EQ(gGaugeCalls.back().value, 100u);
    ExpectDriveClean(1000);
}

TEST_F(FillLoopTest, FailedWriteIsRetriedWithWhatIsFree) {
    gFakeDrive.freeSectors = 1000;
    gFakeDrive.failWriteAt = 3;
    EXPECT_EQ(RunCleaningJob(), kJobSucceeded);
    // After the failure: measured again (488 free), asked for 256, not 488.
    EXPECT_EQ(RunLengths(gFakeDrive.requests), (Runs{{256, 4}, {232, 1}}));
    EXPECT_EQ(gLoggedLines, MeasuringLines(1000) + Creating({"AAA"}) + Lines{"Operation succeeded"});
    ExpectDriveClean(1000);
}

TEST_F(FillLoopTest, WriteFailsWithSpaceLeftThenRecovers) {
    // A file system that will not grow one file past 300 sectors: each file
    // takes what it can, and a fresh one goes on.
    gFakeDrive.freeSectors = 1000;
    gFakeDrive.fileGrowthLimit = 300;
    EXPECT_EQ(RunCleaningJob(), kJobSucceeded);
    // 300 per file; a failed write, its retry, and a fresh file each time.
    EXPECT_EQ(RunLengths(gFakeDrive.requests), (Runs{{256, 9}, {144, 1}, {100, 3}}));
    EXPECT_EQ(gLoggedLines,
              MeasuringLines(1000) + Creating({"AAA", "AAB", "AAC", "AAD"}) + Lines{"Operation succeeded"});
    ExpectDriveClean(1000);
}

TEST_F(FillLoopTest, SpaceThatCannotBeWrittenEndsTheFill) {
    // The drive reports 100 sectors more than any file can take.
    gFakeDrive.freeSectors = 1000;
    gFakeDrive.unwritableSectors = 100;
    EXPECT_EQ(RunCleaningJob(), kJobSucceeded);
    Lines tail = {"100 sectors of free space could not be written", "Operation succeeded"};
    EXPECT_EQ(gLoggedLines, MeasuringLines(1100) + Creating({"AAA", "AAB"}) + tail);
    EXPECT_EQ(RunLengths(gFakeDrive.requests), (Runs{{256, 4}, {100, 4}}));
    EXPECT_EQ(gGaugeCalls.back().value, 100u);
    ExpectDriveClean(1000);
}

TEST_F(FillLoopTest, LaterFileThatCannotBeOpenedFailsTheJob) {
    gFakeDrive.freeSectors = 4194303 + 1000;
    gFakeDrive.failOpenAt = 1;
    EXPECT_EQ(RunCleaningJob(), kJobFailed);
    EXPECT_EQ(gLoggedLines, MeasuringLines(4194303 + 1000) + Creating({"AAA", "AAB"}) +
                                Lines{"Error opening file [" + Name("AAB") + "]"});
    EXPECT_EQ(gFakeDrive.deleted, (Lines{Name("AAA"), Name("AAB")}));
    ExpectDriveClean(4194303 + 1000);
}

TEST_F(FillLoopTest, EmptyExtraFileMayFailToOpen) {
    gFakeDrive.freeSectors = 4194303;
    gFakeDrive.failOpenAt = 1;
    EXPECT_EQ(RunCleaningJob(), kJobSucceeded);
    EXPECT_EQ(gLoggedLines.back(), "Operation succeeded");
    ExpectDriveClean(4194303);
}

TEST_F(FillLoopTest, StopDuringTheLoop) {
    gFakeDrive.freeSectors = 100000;
    gFakeDrive.stopAfterWrites = 5;
    EXPECT_EQ(RunCleaningJob(), kJobStopped);
    EXPECT_EQ(gFakeDrive.requests.size(), 5u) << "the current pass completes, then the loop ends";
    EXPECT_EQ(gLoggedLines, MeasuringLines(100000) + Creating({"AAA"}) + Lines{"Operation was stopped"});
    ASSERT_FALSE(gGaugeCalls.empty());
    EXPECT_EQ(gGaugeCalls.back().value, 50u);
    EXPECT_EQ(gGaugeCalls.back().letter, 'E');
    ExpectDriveClean(100000);
}

TEST_F(FillLoopTest, NoMedium) {
    gFakeDrive.present = false;
    EXPECT_EQ(RunCleaningJob(), kJobMeasureFailed);
    EXPECT_EQ(gLoggedLines,
              (Lines{"Cleaning un-used sectors on drive E:", "Cannot detect Free space on drive E:",
                     "Be sure drive E: is available to the system"}));
    EXPECT_TRUE(gFakeDrive.requests.empty());
    EXPECT_TRUE(gGaugeCalls.empty());
    EXPECT_EQ(gFakeDrive.opens, 0);
}

TEST_F(FillLoopTest, FirstFileCannotBeOpened) {
    gFakeDrive.freeSectors = 2847;
    gFakeDrive.failOpenAt = 0;
    EXPECT_EQ(RunCleaningJob(), kJobFailed);
    EXPECT_EQ(gLoggedLines,
              MeasuringLines(2847) + Creating({"AAA"}) + Lines{"Error opening file [" + Name("AAA") + "]"});
    EXPECT_TRUE(gGaugeCalls.empty()) << "the gauge stays as it was";
    EXPECT_TRUE(gFakeDrive.requests.empty());
}

TEST_F(FillLoopTest, ExistingFileOfTheSameNameIsLeftAlone) {
    gFakeDrive.files[Name("AAA")].sectors = 10;
    gFakeDrive.freeSectors = 600;
    EXPECT_EQ(RunCleaningJob(), kJobSucceeded);
    EXPECT_EQ(gLoggedLines, MeasuringLines(600) + Creating({"ABA"}) + Lines{"Operation succeeded"});
    ASSERT_EQ(gFakeDrive.files.count(Name("AAA")), 1u);
    EXPECT_EQ(gFakeDrive.files[Name("AAA")].sectors, 10u);
    EXPECT_EQ(gFakeDrive.deleted, Lines{Name("ABA")});
}

TEST_F(FillLoopTest, StopRequestBeforeTheJobIsHonouredAtTheFirstCheck) {
    // The dialog clears the request at Ok; one given after that stops the run.
    gFakeDrive.freeSectors = 100000;
    gRunState.stopRequest = 1;
    EXPECT_EQ(RunCleaningJob(), kJobStopped);
    EXPECT_EQ(gFakeDrive.requests.size(), 1u);
    ExpectDriveClean(100000);
}

} // namespace
