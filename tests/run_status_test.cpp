// The status line's texts: the time left from the rate of the last seconds,
// each later step's counts, and the summary of a run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/run_status.h"

namespace {

const double kMiB = 1048576;

// Samples one a second, at a steady rate in MiB/s (each pair: seconds, rate).
std::string TimeLeft(std::vector<std::pair<int, double>> phases, double mibLeft) {
    RateWindow window = {};
    double written = 0;
    unsigned long long ms = 0;
    window = AddRateSample(window, 0, 0);
    for (const auto& phase : phases) {
        for (int s = 0; s < phase.first; ++s) {
            written += phase.second;
            ms += 1000;
            window = AddRateSample(window, ms, static_cast<unsigned long long>(written * kMiB / 512));
        }
    }
    char text[96];
    FormatTimeLeft(window, static_cast<long long>(mibLeft * kMiB / 512), text, sizeof text);
    return text;
}

std::string Step(RunStep step, unsigned long long done, unsigned long long total) {
    char text[96];
    FormatStepStatus(step, done, total, text, sizeof text);
    return text;
}

std::string Summary(JobOutcome outcome, double bytes, unsigned long long ms) {
    char text[96];
    FormatSummary(outcome, static_cast<unsigned long long>(bytes), ms, text, sizeof text);
    return text;
}

struct Row {
    const char* name;
    std::string text, expected;
};

// clang-format off
const Row kRows[] = {
    {"no estimate before 3 s of writing", TimeLeft({{2, 10}}, 100), "Estimating the time left"},
    {"seconds near the end", TimeLeft({{3, 10}}, 400), "About 40 s left (10.0 MB/s)"},
    {"seconds up to 90", TimeLeft({{5, 10}}, 850), "About 85 s left (10.0 MB/s)"},
    {"minutes, rounded", TimeLeft({{5, 10}}, 7290), "About 12 min left (10.0 MB/s)"},
    {"hours and minutes", TimeLeft({{60, 10.4}}, 44900), "About 1 h 12 min left (10.4 MB/s)"},
    {"a slow stick in KB/s", TimeLeft({{10, 0.05}}, 15), "About 5 min left (51 KB/s)"},
    {"a fast drive", TimeLeft({{4, 400}}, 1200), "About 3 s left (400.0 MB/s)"},
    {"a rate that falls: the last 30 s count, not the first minute", TimeLeft({{60, 20}, {30, 5}}, 600),
     "About 2 min left (5.0 MB/s)"},
    {"a rate that rises again", TimeLeft({{30, 5}, {45, 20}}, 600), "About 30 s left (20.0 MB/s)"},
    {"written past the measurement", TimeLeft({{5, 10}}, 0), "Almost done (10.0 MB/s)"},
    {"a drive that takes nothing for the whole window", TimeLeft({{10, 10}, {40, 0}}, 100),
     "Waiting for the drive: nothing written for 30 s"},

    {"an earlier run's files", Step(kStepLeftovers, 1, 0), "Looking for files of an earlier run: 1 folder"},
    {"flushing", Step(kStepFlush, 2, 5), "Flushing the fill files to the drive: 2 of 5"},
    {"the check", Step(kStepCheck, 1204, 30517), "Checking what the drive kept: 1,204 of 30,517 MB"},
    {"free records", Step(kStepRecords, 1234567, 0), "Free records of the file table: 1,234,567"},
    {"names: plural", Step(kStepNames, 37, 1204), "Names of deleted files: 37 folders, 1,204 entries"},
    {"names: singular", Step(kStepNames, 1, 1), "Names of deleted files: 1 folder, 1 entry"},
    {"deletion", Step(kStepDeletion, 999, 1000), "Deleting the fill files: 999 of 1,000"},
    {"files held by another program", Step(kStepPending, 1, 10), "Waiting for another program to let go of 1 file: up to 10 s"},

    {"a 16 GB stick", Summary(kJobSucceeded, 16e9, 1450000), "14.9 GB written in 24 min 10 s (10.5 MB/s)"},
    {"a diskette", Summary(kJobSucceeded, 1457664, 2500), "1.4 MB written in 2.5 s (569 KB/s)"},
    {"hours", Summary(kJobSucceeded, 60e9, 3900000), "55.9 GB written in 1 h 5 min (14.7 MB/s)"},
    {"whole minutes", Summary(kJobSucceeded, 600 * kMiB, 120000), "600.0 MB written in 2 min (5.0 MB/s)"},
    {"stopped", Summary(kJobStopped, 3.2 * 1073741824, 310000), "Stopped: 3.2 GB written in 5 min 10 s (10.6 MB/s)"},
    {"failed before a write", Summary(kJobMeasureFailed, 0, 1200), "Failed: 0 KB written in 1.2 s"},
    {"failed at once: no rate without a time", Summary(kJobFailed, 4096, 0), "Failed: 4 KB written in 0.0 s"},
    {"a nearly full stick: too little to tell a speed", Summary(kJobSucceeded, 2048, 4300), "2 KB written in 4.3 s"},
    {"a speed under 1 KB/s in bytes", Summary(kJobStopped, 300 * 1024, 600000), "Stopped: 300 KB written in 10 min (512 bytes/s)"},
};
// clang-format on

TEST(RunStatus, Texts) {
    for (const Row& row : kRows) {
        EXPECT_EQ(row.text, row.expected) << row.name;
    }
}

} // namespace
