// The arithmetic of the fill loop, as functions of values.
#ifndef TESSARINE_ENGINE_FILL_PLAN_H
#define TESSARINE_ENGINE_FILL_PLAN_H

enum : unsigned {
    kSectorSize = 512,
    kChunkSectors = 256,
    kWriteBufferSize = kSectorSize * kChunkSectors,
    kFileCapSectors = 0x3FFFFF,
    kChunkCutPoint = kFileCapSectors - kChunkSectors,
};

// Sectors that the next regular write asks for.
unsigned SectorsToAsk(long long remainingSectors, unsigned sectorsInFile);

// Sectors that the write after a re-measurement asks for: what is free, but
// never more than the write buffer holds.
unsigned RecoverySectors(long long freeSectors);

// Share written, 0 to 100. A drive with no whole sector free counts as done.
unsigned ProgressPercent(unsigned long long totalSectors, long long remainingSectors);

#endif
