// The status line (control 102) during a run: the time left while the free
// space is filled, what each later step is doing, and at the end what was
// written and how fast. The texts are pure functions of values; the worker
// renews the line at most once a second, and at once when a step begins.
#ifndef TESSARINE_ENGINE_RUN_STATUS_H
#define TESSARINE_ENGINE_RUN_STATUS_H

#include <stddef.h>

#include "engine/clean_worker.h"

enum RunStep {
    kStepNone,
    kStepLeftovers,
    kStepFill,
    kStepFlush,
    kStepCheck,
    kStepRecords,
    kStepNames,
    kStepDeletion,
    kStepPending
};

// The fill's progress at its last renewals, about one a second: the time
// left follows the rate of the last 30 seconds or so, so that a stick that
// slows down as it fills is followed without the figure jumping about.
enum : unsigned { kRateSamples = 31, kFirstEstimateMs = 3000, kStatusEveryMs = 1000 };
struct RateWindow {
    unsigned long long ms[kRateSamples]; // since the fill began
    unsigned long long sectors[kRateSamples];
    unsigned count; // samples taken; the last kRateSamples are kept
};
RateWindow AddRateSample(RateWindow window, unsigned long long ms, unsigned long long sectors);

// "About 1 h 12 min left (10.4 MB/s)"; "Estimating the time left" until the
// window spans kFirstEstimateMs.
void FormatTimeLeft(const RateWindow& window, long long sectorsLeft, char* out, size_t size);
// "Names of deleted files: 37 folders, 1,204 entries", "Deleting the fill
// files: 1,310 of 2,787", "Waiting for another program to let go of 3
// files: up to 9 s": a step after the fill and its counts.
void FormatStepStatus(RunStep step, unsigned long long done, unsigned long long total, char* out,
                      size_t size);
// "14.9 GB written in 24 min 10 s (10.3 MB/s)", after a stop or a failure
// with the outcome before it; no speed when too little was written to tell
// one, and a slow one in bytes ("512 bytes/s").
void FormatSummary(JobOutcome outcome, unsigned long long bytes, unsigned long long ms, char* out,
                   size_t size);

// The worker's side: the run begins, a step's progress (shown when the step
// is new or a second has passed; during the fill, done is the sectors
// written and total those left), and the summary at the end.
void StartRunStatus();
void ShowStepStatus(RunStep step, unsigned long long done, long long total);
void ShowRunSummary(JobOutcome outcome, unsigned long long bytes);

#endif
