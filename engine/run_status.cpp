#include "engine/run_status.h"

#include <stdio.h>
#include <string.h>

#include "engine/clock.h"
#include "ui/message_log.h"

namespace {

const double kMiB = 1048576.0, kGiB = 1073741824.0;
// Less than a write of 128 KiB: too little to tell a speed.
const unsigned long long kMeasuredBytes = 131072;

// "1,204,000": counts as the user reads them.
void Grouped(unsigned long long value, char* out) {
    char reversed[32];
    int n = 0;
    do {
        if (n % 4 == 3) {
            reversed[n++] = ',';
        }
        reversed[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int i = 0; i < n; ++i) {
        out[i] = reversed[n - 1 - i];
    }
    out[n] = '\0';
}

// "1 folder", "37 folders".
void Counted(unsigned long long value, const char* one, const char* many, char* out, size_t size) {
    char digits[32];
    Grouped(value, digits);
    snprintf(out, size, "%s %s", digits, value == 1 ? one : many);
}

void Duration(unsigned long long ms, char* out, size_t size) {
    unsigned long long s = ms / 1000;
    if (ms < 10000) {
        snprintf(out, size, "%.1f s", ms / 1000.0);
    } else if (s < 60) {
        snprintf(out, size, "%u s", static_cast<unsigned>(s));
    } else if (s < 3600) {
        snprintf(out, size, s % 60 != 0 ? "%u min %u s" : "%u min", static_cast<unsigned>(s / 60),
                 static_cast<unsigned>(s % 60));
    } else {
        snprintf(out, size, "%u h %u min", static_cast<unsigned>(s / 3600),
                 static_cast<unsigned>(s % 3600 / 60));
    }
}

// A time left, as coarse as it is uncertain: seconds only near the end.
void TimeLeft(double seconds, char* out, size_t size) {
    unsigned long long s = static_cast<unsigned long long>(seconds + 0.5);
    unsigned long long minutes = (s + 30) / 60;
    if (s < 90) {
        snprintf(out, size, "%u s", static_cast<unsigned>(s < 1 ? 1 : s));
    } else if (minutes < 60) {
        snprintf(out, size, "%u min", static_cast<unsigned>(minutes));
    } else {
        snprintf(out, size, "%u h %u min", static_cast<unsigned>(minutes / 60),
                 static_cast<unsigned>(minutes % 60));
    }
}

// Binary units, as Windows shows sizes: a 16 GB stick holds 14.9 GB.
void Size(unsigned long long bytes, char* out, size_t size) {
    if (bytes < 1048576) {
        snprintf(out, size, "%u KB", static_cast<unsigned>((bytes + 1023) / 1024));
    } else if (bytes < 1073741824) {
        snprintf(out, size, "%.1f MB", bytes / kMiB);
    } else {
        snprintf(out, size, "%.1f GB", bytes / kGiB);
    }
}

void Rate(double bytesPerSecond, char* out, size_t size) {
    if (bytesPerSecond < 1023.5) { // "0 KB/s" says nothing
        snprintf(out, size, "%u bytes/s", static_cast<unsigned>(bytesPerSecond + 0.5));
    } else if (bytesPerSecond < kMiB) {
        snprintf(out, size, "%u KB/s", static_cast<unsigned>(bytesPerSecond / 1024 + 0.5));
    } else {
        snprintf(out, size, "%.1f MB/s", bytesPerSecond / kMiB);
    }
}

struct StatusState {
    RunStep step;
    DWORD runStart, fillStart, shownAt;
    RateWindow rate;
};
StatusState gStatus; // the worker's own

} // namespace

RateWindow AddRateSample(RateWindow window, unsigned long long ms, unsigned long long sectors) {
    unsigned at = window.count % kRateSamples;
    window.ms[at] = ms;
    window.sectors[at] = sectors;
    ++window.count;
    return window;
}

void FormatTimeLeft(const RateWindow& window, long long sectorsLeft, char* out, size_t size) {
    unsigned first = window.count > kRateSamples ? window.count % kRateSamples : 0;
    unsigned last = (window.count + kRateSamples - 1) % kRateSamples;
    unsigned long long span = window.count > 1 ? window.ms[last] - window.ms[first] : 0;
    if (span < kFirstEstimateMs) {
        snprintf(out, size, "Estimating the time left");
        return;
    }
    double rate = (window.sectors[last] - window.sectors[first]) * 512.0 * 1000.0 / span;
    char left[32], speed[32];
    if (rate <= 0) {
        Duration(span, left, sizeof left);
        snprintf(out, size, "Waiting for the drive: nothing written for %s", left);
        return;
    }
    Rate(rate, speed, sizeof speed);
    if (sectorsLeft <= 0) {
        snprintf(out, size, "Almost done (%s)", speed); // the drive takes more than it said was free
        return;
    }
    TimeLeft(sectorsLeft * 512.0 / rate, left, sizeof left);
    snprintf(out, size, "About %s left (%s)", left, speed);
}

void FormatStepStatus(RunStep step, unsigned long long done, unsigned long long total, char* out,
                      size_t size) {
    char a[48], b[48];
    Grouped(done, a);
    Grouped(total, b);
    switch (step) {
    case kStepLeftovers:
        Counted(done, "folder", "folders", a, sizeof a);
        snprintf(out, size, "Looking for files of an earlier run: %s", a);
        return;
    case kStepFlush:
        snprintf(out, size, "Flushing the fill files to the drive: %s of %s", a, b);
        return;
    case kStepCheck:
        snprintf(out, size, "Checking what the drive kept: %s of %s MB", a, b);
        return;
    case kStepRecords:
        snprintf(out, size, "Free records of the file table: %s", a);
        return;
    case kStepNames:
        Counted(done, "folder", "folders", a, sizeof a);
        Counted(total, "entry", "entries", b, sizeof b);
        snprintf(out, size, "Names of deleted files: %s, %s", a, b);
        return;
    case kStepDeletion:
        snprintf(out, size, "Deleting the fill files: %s of %s", a, b);
        return;
    case kStepPending:
        Counted(done, "file", "files", a, sizeof a);
        snprintf(out, size, "Waiting for another program to let go of %s: up to %s s", a, b);
        return;
    case kStepNone:
    case kStepFill:
        break;
    }
    out[0] = '\0';
}

void FormatSummary(JobOutcome outcome, unsigned long long bytes, unsigned long long ms, char* out,
                   size_t size) {
    const char* how = outcome == kJobSucceeded ? "" : outcome == kJobStopped ? "Stopped: " : "Failed: ";
    char written[32], took[32], speed[32];
    Size(bytes, written, sizeof written);
    Duration(ms, took, sizeof took);
    if (bytes < kMeasuredBytes || ms == 0) { // the speed of the steps around a write, not of the drive
        snprintf(out, size, "%s%s written in %s", how, written, took);
        return;
    }
    Rate(bytes * 1000.0 / ms, speed, sizeof speed);
    snprintf(out, size, "%s%s written in %s (%s)", how, written, took, speed);
}

void StartRunStatus() {
    memset(&gStatus, 0, sizeof gStatus);
    gStatus.runStart = ClockMilliseconds();
}

void ShowStepStatus(RunStep step, unsigned long long done, long long total) {
    DWORD now = ClockMilliseconds();
    if (step == gStatus.step && now - gStatus.shownAt < kStatusEveryMs) {
        return;
    }
    if (step != gStatus.step && step == kStepFill) {
        gStatus.fillStart = now;
        gStatus.rate.count = 0;
    }
    gStatus.step = step;
    gStatus.shownAt = now;
    char text[96];
    if (step == kStepFill) {
        gStatus.rate = AddRateSample(gStatus.rate, now - gStatus.fillStart, done);
        FormatTimeLeft(gStatus.rate, total, text, sizeof text);
    } else {
        FormatStepStatus(step, done, total < 0 ? 0 : total, text, sizeof text);
    }
    ShowStatusLine(text);
}

void ShowRunSummary(JobOutcome outcome, unsigned long long bytes) {
    char text[96];
    FormatSummary(outcome, bytes, ClockMilliseconds() - gStatus.runStart, text, sizeof text);
    gStatus.step = kStepNone;
    ShowStatusLine(text);
}
