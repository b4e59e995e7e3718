#include "engine/read_back.h"

#include <algorithm>

#include "engine/clock.h"
#include "engine/free_space.h"
#include "engine/run_status.h"
#include "frame/run_state.h"

namespace {

// A stripe's offset from the seed: the same seed, the same sample.
unsigned long long Mixed(unsigned seed, unsigned long long stripe) {
    unsigned long long x = seed + stripe * 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// A power of two from the drive's sector size: FILE_FLAG_NO_BUFFERING wants
// offsets, sizes and the buffer in whole sectors. 4 KiB covers 512-byte
// sectors and 4 KiB ones alike.
unsigned CheckAlignment(const char* rootPath) {
    unsigned sector = QuerySectorSize(rootPath), align = 4096;
    while (align < sector && align < kCheckBlockBytes) {
        align *= 2;
    }
    return align;
}

bool AllZeros(const char* bytes, size_t count) {
    return std::all_of(bytes, bytes + count, [](char b) { return b == 0; });
}

} // namespace

unsigned PlanCheckBlocks(unsigned long long fillOffset, unsigned long long fileBytes, unsigned seed,
                         unsigned align, unsigned long long* starts) {
    if (fileBytes == 0) {
        return 0;
    }
    unsigned count = 0;
    starts[count++] = 0;
    const unsigned long long span = kCheckStripeBytes - kCheckBlockBytes;
    for (unsigned long long stripe = fillOffset / kCheckStripeBytes;
         stripe * kCheckStripeBytes < fillOffset + fileBytes && count < kMaxCheckBlocks - 1; ++stripe) {
        unsigned long long at = stripe * kCheckStripeBytes + Mixed(seed, stripe) % (span + 1);
        if (at >= fillOffset && at < fillOffset + fileBytes) {
            starts[count++] = (at - fillOffset) / align * align;
        }
    }
    unsigned long long end = (fileBytes + align - 1) / align * align;
    starts[count++] = end > kCheckBlockBytes ? end - kCheckBlockBytes : 0;
    std::sort(starts, starts + count);
    return static_cast<unsigned>(std::unique(starts, starts + count) - starts);
}

FillEnd CheckWhatTheDriveKept() {
    const unsigned align = CheckAlignment(gWorker.rootPath);
    const unsigned seed = ClockMilliseconds() ^ GetCurrentProcessId();
    const unsigned long long totalMb = (gWorker.writtenSectors * kSectorSize) >> 20;
    // Page-aligned, as an unbuffered read needs.
    char* buffer = static_cast<char*>(VirtualAlloc(nullptr, kCheckBlockBytes, MEM_COMMIT, PAGE_READWRITE));
    if (buffer == nullptr) {
        return Fail("Out of memory");
    }
    static unsigned long long starts[kMaxCheckBlocks];
    unsigned long long fillOffset = 0;
    FillEnd end = kFillComplete;
    ShowStepStatus(kStepCheck, 0, static_cast<long long>(totalMb));
    for (const FillFileNode* node = gWorker.fillListHead; node != nullptr && end == kFillComplete;
         node = node->Next) {
        if (node->Kind != kFillFileKind) {
            continue;
        }
        HANDLE file = FileOpenUnbuffered(node->Name);
        long long bytes = file != nullptr ? FileSeekPos(file, FILE_END, 0) : -1;
        end = bytes < 0 ? FailPath("Error reading file [%s]", node->Name) : kFillComplete;
        unsigned count = bytes > 0 ? PlanCheckBlocks(fillOffset, bytes, seed, align, starts) : 0;
        for (unsigned i = 0; i < count && end == kFillComplete; ++i) {
            if (gRunState.stopRequest.load() != 0) {
                end = kFillStopped;
                break;
            }
            unsigned long long want = std::min<unsigned long long>(kCheckBlockBytes, bytes - starts[i]);
            unsigned got = FileSeek(file, FILE_BEGIN, static_cast<long long>(starts[i])) == 0
                               ? FileRead(buffer, kSectorSize, kCheckBlockBytes / kSectorSize, file)
                               : 0;
            if (got * static_cast<unsigned long long>(kSectorSize) < want) {
                end = FailPath("Error reading file [%s]", node->Name);
            } else if (!AllZeros(buffer, want)) {
                end = Fail("Drive %s did not keep the zeros written to it: its free space may still hold "
                           "deleted data",
                           gRunState.selectedDrive);
            }
            ShowStepStatus(kStepCheck, (fillOffset + starts[i] + want) >> 20,
                           static_cast<long long>(totalMb));
        }
        if (file != nullptr) {
            FileClose(file);
        }
        fillOffset += bytes > 0 ? bytes : 0;
    }
    VirtualFree(buffer, 0, MEM_RELEASE);
    return end;
}
