// The check of what the drive kept: a sample of every fill file read back
// from the medium, past any cache, after the fill files are flushed. Flash
// that wears out, or a fake stick past its real size, acknowledges writes
// that it never keeps; only a read from the medium tells.
#ifndef TESSARINE_ENGINE_READ_BACK_H
#define TESSARINE_ENGINE_READ_BACK_H

#include <stddef.h>

#include "engine/fill_plan.h"
#include "engine/job.h"

// The sample: the first and the last block of every fill file, and one block
// in every stripe of the whole fill, at an offset in the stripe that the seed
// chooses. No lost run of the fill longer than two stripes less two blocks
// goes unseen.
enum : unsigned {
    kCheckBlockBytes = 131072,
    kCheckStripeBytes = 8u << 20,
    kMaxCheckBlocks =
        2 + 4 +
        static_cast<unsigned>((static_cast<unsigned long long>(kFileCapSectors) * 512) / kCheckStripeBytes),
};

// The starts (bytes, multiples of align, ascending, each once) of the blocks
// to read in a fill file of fileBytes that begins fillOffset bytes into the
// whole fill; every block is kCheckBlockBytes long, the last one may run past
// the end of the file. align is a power of two of at most kCheckBlockBytes.
// Returns their count.
unsigned PlanCheckBlocks(unsigned long long fillOffset, unsigned long long fileBytes, unsigned seed,
                         unsigned align, unsigned long long* starts);

// Reads the sample of every fill file of the list; kFillComplete when all of
// it is zeros, a failure that names the file that could not be read.
FillEnd CheckWhatTheDriveKept();

#endif
