// A simulated drive for the fill-loop tests, linked in place of the real
// file layer and free-space query. It records every write request.
#ifndef TESSARINE_TESTS_FAKE_DRIVE_H
#define TESSARINE_TESTS_FAKE_DRIVE_H

#include <windows.h>

#include <map>
#include <string>
#include <vector>

struct FakeFile {
    unsigned long long sectors = 0;
    bool open = false;
    bool flushed = false; // flushed since its last write
};

struct FakeDrive {
    bool present = true;
    unsigned long long freeSectors = 0;
    // Free space the drive reports but will not give (file-system overhead).
    unsigned long long unwritableSectors = 0;
    // Writes that fail once the file reaches this many sectors (0: none).
    unsigned long long fileGrowthLimit = 0;
    int failOpenAt = -1;             // the n-th open (0-based) fails
    int stopAfterWrites = -1;        // sets the stop request after this many writes
    int failWriteAt = -1;            // the n-th write (1-based) fails once
    int shrinkAfterWrites = -1;      // after this many writes another program takes...
    unsigned long long shrinkBy = 0; // ...this many free sectors
    std::map<std::string, FakeFile> files;
    std::vector<std::string> openOrder;
    std::vector<std::string> deleted;
    std::vector<unsigned> requests; // sector counts asked by each write
    int opens = 0;
    int writes = 0;
    int unflushedCloses = 0;
};

extern FakeDrive gFakeDrive;
void ResetFakeDrive();

#endif
