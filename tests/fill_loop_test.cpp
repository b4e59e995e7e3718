// The cleaning job on a simulated drive, one row per way a drive can behave:
// the write requests, the log lines, what the window is told, and what is
// left on the drive. "Operation succeeded" must mean that every free sector was
// written and flushed.
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/clean_worker.h"
#include "engine/fill_files.h"
#include "engine/free_space.h"
#include "fakes/fake_drive.h"
#include "frame/run_state.h"

namespace {

using Runs = std::vector<std::pair<unsigned, unsigned>>; // (sectors asked, times in a row)
using Lines = std::vector<std::string>;

Runs RunLengths(const std::vector<unsigned>& requests) {
    Runs runs;
    for (unsigned r : requests) {
        if (runs.empty() || runs.back().first != r) {
            runs.push_back({r, 0});
        }
        ++runs.back().second;
    }
    return runs;
}

std::string Name(const char* counter) {
    char digits[16];
    FormatProcessIdBase32(GetCurrentProcessId(), digits);
    return std::string("E:\\_") + digits + "." + counter;
}

// The name of a small file of the steps after the fill, in the root.
std::string Padded(const char* counter, unsigned length = kEntryNameLength) {
    char out[kMaxPaddedLength + 1];
    PadTempName(Name(counter).c_str() + 3, length, out);
    return "E:\\" + std::string(out);
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

const unsigned long long kOneFile = 4194303;
const char kSucceeded[] = "Operation succeeded";
const char kRecordsStart[] = "Cleaning the free records of the file table on drive E:";
const char kNamesStart[] = "Cleaning the names of deleted files on drive E:";
const char kNotKept[] =
    "Drive E: did not keep the zeros written to it: its free space may still hold deleted data";

struct Row {
    const char* name;
    void (*drive)(); // sets up gFakeDrive
    JobOutcome outcome;
    std::initializer_list<const char*> files;
    Lines tail;                   // the lines after the "Creating file" lines
    Runs requests;                // empty: not checked
    unsigned left = 0;            // fill files that stay on the drive
    Lines leftovers = Lines();    // the lines about an earlier run's files, before the measurement
    unsigned long long freed = 0; // the sectors they give back
    Lines status = Lines();       // the status line's texts in turn (empty: not checked)
    int opens = -1;               // files opened or created in all (-1: not checked)
};

// clang-format off
const Row kRows[] = {
    {"diskette (Windows names it FAT): 11 chunks, one of 31, a write that gets nothing, a last sector; each free entry once",
     [] { gFakeDrive.freeSectors = 2847, gFakeDrive.fileSystem = "FAT", gFakeDrive.folders["E:\\"].freeEntries = 3; },
     kJobSucceeded, {"AAA"}, {kNamesStart, "3 free entries of folders were overwritten", kSucceeded},
     {{256, 11}, {31, 1}, {256, 1}, {1, 1}}, 0, {}, 0, {}, 22},
    {"one sector", [] { gFakeDrive.freeSectors = 1; },
     kJobSucceeded, {"AAA"}, {kSucceeded}, {{1, 1}, {256, 1}, {1, 1}}},
    {"exactly one file: a second, empty one follows",
     [] { gFakeDrive.freeSectors = kOneFile, gFakeDrive.folders["E:\\"].freeEntries = 1; },
     kJobSucceeded, {"AAA", "AAB"}, {kSucceeded}, {{256, 16383}, {255, 1}, {256, 1}, {1, 1}}},
    {"8 GiB of 4 KiB sectors: four full files and one of 4 sectors",
     [] { gFakeDrive.freeSectors = 4 * kOneFile + 4, gFakeDrive.sectorSize = 4096; },
     kJobSucceeded, {"AAA", "AAB", "AAC", "AAD", "AAE"}, {kSucceeded},
     {{256, 16383}, {255, 1}, {256, 16383}, {255, 1}, {256, 16383}, {255, 1}, {256, 16383}, {255, 1},
      {4, 1}, {256, 1}, {1, 1}}},
    {"the measurement was short: the fill writes on until the drive is full",
     [] { gFakeDrive.freeSectors = 2847, gFakeDrive.hiddenSectors = 7; },
     kJobSucceeded, {"AAA"}, {kSucceeded}, {{256, 11}, {24, 1}, {256, 2}, {1, 1}}},
    {"a short measurement on a driver that takes whole pages: single sectors fill the rest",
     [] { gFakeDrive.freeSectors = 2847, gFakeDrive.hiddenSectors = 7, gFakeDrive.pageSectors = 8; },
     kJobSucceeded, {"AAA"}, {kSucceeded}, {}},
    {"another program fills the drive: the empty write measures 0 free",
     [] { gFakeDrive.freeSectors = 2000, gFakeDrive.shrinkAfterWrites = 2, gFakeDrive.shrinkBy = 1000; },
     kJobSucceeded, {"AAA"}, {kSucceeded}, {{256, 5}, {1, 1}}},
    {"a failed write: measured again, the retry asks 256, not 488",
     [] { gFakeDrive.freeSectors = 1000, gFakeDrive.failWriteAt = 3; },
     kJobSucceeded, {"AAA"}, {kSucceeded}, {{256, 4}, {232, 1}, {256, 1}, {1, 1}}},
    {"a file system that will not grow a file past 300 sectors: fresh files go on",
     [] { gFakeDrive.freeSectors = 1000, gFakeDrive.fileGrowthLimit = 300; },
     kJobSucceeded, {"AAA", "AAB", "AAC", "AAD"}, {kSucceeded}, {}},
    {"the empty extra file after an exact fill cannot be opened: no failure by itself",
     [] { gFakeDrive.freeSectors = kOneFile, gFakeDrive.failOpenAt = 1; },
     kJobSucceeded, {"AAA", "AAB"}, {kSucceeded}, {}},
    {"an existing file of the tool's name is left alone",
     [] { gFakeDrive.freeSectors = 600, gFakeDrive.files[Name("AAA")] = {256, 0, 0, true}; },
     kJobSucceeded, {"ABA"}, {kSucceeded}, {}, 0, {"File [" + Name("AAA") + "] is not a fill file: left as it is"}},
    {"an earlier run's files, in every folder: all zeros deleted; not all zeros, in use, a folder, the user's kept",
     [] { gFakeDrive.freeSectors = 600, gFakeDrive.files["E:\\_1.AAA"].sectors = 512;
          gFakeDrive.files["E:\\_1.AAB"] = {512, 0, 0, true}, gFakeDrive.files["E:\\_1.AAC"] = {256, 0, 0, false, true};
          gFakeDrive.files["E:\\_1.AAD"] = {256, 0, 0, false, false, true};
          gFakeDrive.folders["E:\\_1.AAE\\"] = {};
          gFakeDrive.files["E:\\_OLD.TXT"].sectors = 2, gFakeDrive.files["E:\\_1.BIN"].sectors = 8;
          gFakeDrive.files["E:\\_BACKUP.DAT"].sectors = 300;
          gFakeDrive.folders["E:\\docs\\"] = {};
          for (const char* c : {"AAA", "AAB", "AAC"}) gFakeDrive.files[std::string("E:\\docs\\_0000001.") + c] = {};
          gFakeDrive.folders["E:\\_0000001.AAB\\"] = {}, gFakeDrive.files["E:\\_0000001.AAB\\_0000001.AAA"] = {};
          gFakeDrive.files["E:\\_0000001.AAB\\_1.AAF"].sectors = 512; // moved there by the run's last steps
          gFakeDrive.folders["E:\\_0000001.AAC\\"] = {}, gFakeDrive.files["E:\\_0000001.AAC\\notes.txt"] = {}; },
     kJobSucceeded, {"AAA"}, {kNamesStart, "4 free entries of folders were overwritten", kSucceeded}, {}, 0,
     {"File [E:\\_1.AAB] is not a fill file: left as it is", "Deleting 2 files left by an earlier run in folder [E:\\]",
      "Cannot delete file [E:\\_1.AAD]", "Deleting 3 files left by an earlier run in folder [E:\\docs\\]",
      "Deleting 2 files left by an earlier run in folder [E:\\_0000001.AAB\\]", "Deleted 1 folder left by an earlier run"}, 1024},
    {"Stop while an earlier run's file is read: it stays, nothing is measured",
     [] { gFakeDrive.files["E:\\_1.AAA"].sectors = 600, gRunState.stopRequest = 1; },
     kJobStopped, {}, {"Operation was stopped"}, {}},
    {"free space that no file takes",
     [] { gFakeDrive.freeSectors = 1000, gFakeDrive.unwritableSectors = 100, gFakeDrive.folders["E:\\"].freeEntries = 1; },
     kJobFailed, {"AAA", "AAB"}, {"100 sectors of free space could not be written"}, {{256, 4}, {100, 4}}},
    {"a drive that never fills: the writing ends 8 MiB past the count",
     [] { gFakeDrive.freeSectors = 1000, gFakeDrive.compresses = true; },
     kJobFailed, {"AAA"}, {"1000 sectors of free space could not be written"}, {{256, 3}, {232, 1}, {256, 64}}},
    {"the flush fails", [] { gFakeDrive.freeSectors = 2847, gFakeDrive.failFlushAt = 1; },
     kJobFailed, {"AAA"}, {"Error writing file [" + Name("AAA") + "]"}, {}},
    {"the flush of an earlier, full file fails: that file is named",
     [] { gFakeDrive.freeSectors = kOneFile + 1000, gFakeDrive.failFlushAt = 2; },
     kJobFailed, {"AAA", "AAB"}, {"Error writing file [" + Name("AAA") + "]"}, {}},
    {"a later fill file cannot be opened while space is free",
     [] { gFakeDrive.freeSectors = kOneFile + 1000, gFakeDrive.failOpenAt = 1; },
     kJobFailed, {"AAA", "AAB"}, {"Error opening file [" + Name("AAB") + "]"}, {}},
    {"the stick is pulled out as the next file is opened: no measurement, nothing deleted",
     [] { gFakeDrive.freeSectors = kOneFile + 1000, gFakeDrive.vanishAtOpen = 1; },
     kJobFailed, {"AAA", "AAB"}, {"Cannot delete file [" + Name("AAA") + "]",
                                  "Cannot detect Free space on drive E:", "Be sure drive E: is available to the system"}, {}, 1},
    {"files that cannot be deleted: each folder's named, no success",
     [] { gFakeDrive.freeSectors = 600, gFakeDrive.refusesDeletion = true, gFakeDrive.folders["E:\\docs\\"].freeEntries = 2; },
     kJobFailed, {"AAA"}, {kNamesStart, "2 free entries of folders were overwritten", "Cannot delete file [" + Name("AAA") + "]",
                           "Cannot delete 2 files in folder [E:\\docs\\]"}, {}, 3},
    {"worn flash: past its first 100 sectors it acknowledges writes and keeps its old contents",
     [] { gFakeDrive.freeSectors = 2847, gFakeDrive.lostFrom = 100, gFakeDrive.lostTo = ~0ull; },
     kJobFailed, {"AAA"}, {kNotKept}, {}},
    {"a fill file that cannot be read back is named", [] { gFakeDrive.freeSectors = 2847, gFakeDrive.failReadAt = 2; },
     kJobFailed, {"AAA"}, {"Error reading file [" + Name("AAA") + "]"}, {}},
    {"no medium: nothing is opened", [] { gFakeDrive.present = false; },
     kJobMeasureFailed, {}, {"Cannot detect Free space on drive E:", "Be sure drive E: is available to the system"}, {}},
    {"NTFS: small fill files take the free records of the file table, and give them to the names step",
     [] { gFakeDrive.freeSectors = 2847, gFakeDrive.fileSystem = "NTFS", gFakeDrive.freeRecords = 50; },
     kJobSucceeded, {"AAA"}, {kRecordsStart, "48 free records of the file table were overwritten", kNamesStart,
                              "48 free entries of folders were overwritten", kSucceeded}, {}},
    {"NTFS: more free records than the root's index takes: the tree of folders made before the fill takes them",
     [] { gFakeDrive.freeSectors = 2847, gFakeDrive.fileSystem = "NTFS", gFakeDrive.freeRecords = 40;
          gFakeDrive.folders["E:\\"].ntfsRoom = 10, gFakeDrive.newFolderRoom = 4; },
     kJobSucceeded, {"AAA"}, {kRecordsStart, "38 free records of the file table were overwritten", kNamesStart,
                              "8 free entries of folders were overwritten", kSucceeded}, {}, 0, {}, 0, {}, 52},
    {"NTFS: a root whose index is full once the drive is: the folder made before the fill takes the free records",
     [] { gFakeDrive.freeSectors = 2847, gFakeDrive.fileSystem = "NTFS", gFakeDrive.freeRecords = 20;
          gFakeDrive.folders["E:\\"].ntfsRoom = 0, gFakeDrive.newFolderRoom = 4; },
     kJobSucceeded, {"AAA"}, {kRecordsStart, "18 free records of the file table were overwritten", kSucceeded}, {}},
    {"a drive named NTFS whose small files take blocks (Wine's name for ext2): the folder made before the fill "
     "gives its block back after the steps, and the last fill file takes it with zeros",
     [] { gFakeDrive.freeSectors = 2847, gFakeDrive.fileSystem = "ext2", gFakeDrive.reportedName = "NTFS";
          gFakeDrive.folderSectors = 8, gFakeDrive.folders["E:\\"].freeEntries = 1; },
     kJobSucceeded, {"AAA"}, {kRecordsStart, "0 free records of the file table were overwritten", kNamesStart,
                              "3 free entries of folders were overwritten", kSucceeded},
     {{256, 11}, {31, 1}, {8, 1}, {1, 2}, {8, 1}, {256, 1}, {1, 1}, {256, 7}, {248, 1}, {256, 1}, {1, 1}}},
    {"the top-up's last fill file grows no more and the next cannot be opened: that next one is named",
     [] { gFakeDrive.freeSectors = 2847, gFakeDrive.fileSystem = "ext2", gFakeDrive.reportedName = "NTFS";
          gFakeDrive.folderSectors = 8, gFakeDrive.fileGrowthLimit = 167, gFakeDrive.failOpenAt = 35; },
     kJobFailed, {"AAA", "AAB", "AAC", "AAD", "AAE", "AAF", "AAG", "AAH", "AAI", "AAJ", "AAK", "AAL", "AAM", "AAN",
                  "AAO", "AAP", "AAQ"},
     {kRecordsStart, "0 free records of the file table were overwritten", "Creating file [" + Name("AAS") + "]",
      "Error opening file [" + Name("AAS") + "]"}, {}},
    {"the top-up of 800 sectors on a drive whose files grow to 300 at most takes three fill files more: the flush "
     "of one between is told",
     [] { gFakeDrive.freeSectors = 2847, gFakeDrive.fileSystem = "ext2", gFakeDrive.reportedName = "NTFS";
          gFakeDrive.folderSectors = 800, gFakeDrive.fileGrowthLimit = 300, gFakeDrive.failFlushAt = 11; },
     kJobFailed, {"AAA", "AAB", "AAC", "AAD", "AAE", "AAF", "AAG"},
     Lines{kRecordsStart, "0 free records of the file table were overwritten"} + Creating({"AAI", "AAJ", "AAK"}) +
         Lines{"Error writing file [" + Name("AAI") + "]"}, {}},
    {"a drive named NTFS that keeps names in sets of entries (Wine's name for exFAT): the folder made before the fill "
     "goes before the names step, and gives back the run of entries it split",
     [] { gFakeDrive.freeSectors = 2847, gFakeDrive.fileSystem = "exFAT", gFakeDrive.reportedName = "NTFS";
          gFakeDrive.folderSectors = 8, gFakeDrive.folders["E:\\"].entries = "k....k......k"; },
     kJobSucceeded, {"AAA"}, {kRecordsStart, "0 free records of the file table were overwritten", kNamesStart,
                              "3 free entries of folders were overwritten", kSucceeded}, {}},
    {"NTFS: files and folders of the run's own that cannot be deleted: the folder that holds the others named",
     [] { gFakeDrive.freeSectors = 2847, gFakeDrive.fileSystem = "NTFS", gFakeDrive.freeRecords = 8;
          gFakeDrive.folders["E:\\"].ntfsRoom = 3, gFakeDrive.newFolderRoom = 4, gFakeDrive.refusesDeletion = true; },
     kJobFailed, {"AAA"}, {kRecordsStart, "6 free records of the file table were overwritten",
                           "Cannot delete 3 files in folder [" + Padded("AAA") + "\\]",
                           "Cannot delete folder [" + Padded("AAA") + "\\" + Padded("AAC").substr(3) + "\\] and 2 folders in it",
                           "Cannot delete file [" + Name("AAA") + "]", "Cannot delete folder [" + Padded("AAA") + "\\]"}, {}, 4},
    {"NTFS: more free records than a process has names: the tree takes them all",
     [] { gFakeDrive.freeSectors = 2847, gFakeDrive.fileSystem = "NTFS", gFakeDrive.freeRecords = 20000;
          gFakeDrive.folders["E:\\"].ntfsRoom = 5; },
     kJobSucceeded, {"AAA"}, {kRecordsStart, "19998 free records of the file table were overwritten", kNamesStart,
                              "3 free entries of folders were overwritten", kSucceeded}, {}},
    {"NTFS: a small file's zeros do not reach the medium",
     [] { gFakeDrive.freeSectors = 2847, gFakeDrive.fileSystem = "NTFS", gFakeDrive.freeRecords = 50,
          gFakeDrive.failFlushAt = 3; },
     kJobFailed, {"AAA"}, {kRecordsStart, "2 free records of the file table were overwritten",
                           "Error writing file [" + Padded("AAA") + "\\" + Padded("AAD").substr(3) + "]"}, {}},
    {"NTFS: Stop while the free records are taken",
     [] { gFakeDrive.freeSectors = 2847, gFakeDrive.fileSystem = "NTFS", gFakeDrive.freeRecords = 50,
          gFakeDrive.stopAfterWrites = 17; },
     kJobStopped, {"AAA"}, {kRecordsStart, "4 free records of the file table were overwritten",
                            "Operation was stopped"}, {}},
    {"the names of deleted files: every folder's free entries; a link left out, a folder that refuses named, "
     "one deleted meanwhile done",
     [] { gFakeDrive.freeSectors = 600, gFakeDrive.folders["E:\\"].freeEntries = 2;
          gFakeDrive.folders["E:\\docs\\"].freeEntries = 3, gFakeDrive.folders["E:\\docs\\old\\"].freeEntries = 1;
          gFakeDrive.folders["E:\\link\\"].reparse = true, gFakeDrive.folders["E:\\sys\\"].refuses = ERROR_ACCESS_DENIED;
          gFakeDrive.folders["E:\\gone\\"].refuses = ERROR_PATH_NOT_FOUND; },
     kJobSucceeded, {"AAA"}, {kNamesStart, "Folder [E:\\sys\\] cannot be written: the names of files deleted in it may be left",
                              "6 free entries of folders were overwritten", kSucceeded}, {}},
    {"an on-access scanner holds each file for 1.5 s after its close: every folder's deletions are waited for",
     [] { gFakeDrive.freeSectors = 600, gFakeDrive.folders["E:\\"].freeEntries = 2;
          gFakeDrive.folders["E:\\docs\\"].freeEntries = 3, gFakeDrive.holdMs = 1500; },
     kJobSucceeded, {"AAA"}, {kNamesStart, "5 free entries of folders were overwritten", kSucceeded}, {}},
    {"a scanner that holds the fill file longer than the wait: that file named, no success",
     [] { gFakeDrive.freeSectors = 600, gFakeDrive.folders["E:\\"].freeEntries = 2;
          gFakeDrive.folders["E:\\docs\\"].freeEntries = 3, gFakeDrive.holdMs = 1500;
          gFakeDrive.holdLongAt = 1, gFakeDrive.holdLongMs = 20000; },
     kJobFailed, {"AAA"}, {kNamesStart, "5 free entries of folders were overwritten", "Cannot delete file [" + Name("AAA") + "]"}, {}, 1},
    {"a name of the later steps that is taken (here by a folder): the next one is made",
     [] { gFakeDrive.freeSectors = 600, gFakeDrive.folders["E:\\"].freeEntries = 2;
          gFakeDrive.folders[Padded("AAB", kMaxPaddedLength) + "\\"] = {};
          gFakeDrive.files[Padded("AAB", kMaxPaddedLength) + "\\notes.txt"] = {}; },
     kJobSucceeded, {"AAA"}, {kNamesStart, "2 free entries of folders were overwritten", kSucceeded}, {}},
    {"exFAT: runs of 3 to 40 entries between kept files are all taken, none keeps 1 or 2",
     [] { gFakeDrive.freeSectors = 600, gFakeDrive.fileSystem = "exFAT";
          gFakeDrive.folders["E:\\docs\\"].entries = "k...k" + std::string(19, '.') + "k" + std::string(20, '.') + "k" +
                                                       std::string(21, '.') + "k" + std::string(40, '.') + "k"; },
     kJobSucceeded, {"AAA"}, {kNamesStart, "12 free entries of folders were overwritten", kSucceeded}, {}},
    {"exFAT: the fill files' sets split the root's runs of 4 and 5 (deleted names of 30 and 45 characters): they move "
     "into a folder of the run's own made in a run of 3, and their runs are taken whole",
     [] { gFakeDrive.freeSectors = kOneFile + 100, gFakeDrive.fileSystem = "exFAT", gFakeDrive.folderSectors = 8;
          gFakeDrive.folders["E:\\"].entries = "kk....k.....k...k"; },
     kJobSucceeded, {"AAA", "AAB"}, {kNamesStart, "3 free entries of folders were overwritten", kSucceeded}, {}},
    {"exFAT: no run of 3 or more besides the fill file's: the entries beside it cannot be reached, no success",
     [] { gFakeDrive.freeSectors = 600, gFakeDrive.fileSystem = "exFAT", gFakeDrive.folders["E:\\"].entries = "kk....k"; },
     kJobFailed, {"AAA"}, {kNamesStart, "0 free entries of folders were overwritten",
                           "Cannot reach the entries beside the fill files in folder [E:\\]: they may keep pieces of deleted names"}, {}},
    {"exFAT, a full stick: the empty fill file goes, and its run is taken whole",
     [] { gFakeDrive.fileSystem = "exFAT", gFakeDrive.folders["E:\\"].entries = "kk....k...k"; },
     kJobSucceeded, {"AAA"}, {kNamesStart, "2 free entries of folders were overwritten", kSucceeded}, {}},
    {"exFAT, a full stick whose root has no free entry: no fill file, the other folders' entries still taken",
     [] { gFakeDrive.fileSystem = "exFAT", gFakeDrive.folders["E:\\"].entries = "kkkk";
          gFakeDrive.folders["E:\\docs\\"].entries = "k...k"; },
     kJobSucceeded, {"AAA"}, {kNamesStart, "1 free entries of folders were overwritten", kSucceeded}, {}},
    {"NTFS, a full stick whose root's index is full: neither the records' folder nor a fill file is made",
     [] { gFakeDrive.fileSystem = "NTFS", gFakeDrive.freeRecords = 0, gFakeDrive.folders["E:\\"].ntfsRoom = 0; },
     kJobSucceeded, {"AAA"}, {kRecordsStart, "0 free records of the file table were overwritten", kSucceeded}, {}},
    {"a diskette whose root holds all the entries it can, with free space: the user is told why nothing is written",
     [] { gFakeDrive.freeSectors = 2847, gFakeDrive.fileSystem = "FAT", gFakeDrive.folders["E:\\"].fixed = true; },
     kJobFailed, {"AAA"}, {"The root folder of drive E: has no room for another file, so its free space cannot be "
                           "written: move one file out of it, then run Tessarine again"}, {}},
    {"a drive whose files take an inode each, whatever their names (Wine names it NTFS): one set of 19 made again",
     [] { gFakeDrive.freeSectors = 600, gFakeDrive.fileSystem = "ext2", gFakeDrive.folders["E:\\"].freeEntries = 5; },
     kJobSucceeded, {"AAA"}, {kNamesStart, "5 free entries of folders were overwritten", kSucceeded}, {}, 0, {}, 0, {}, 28},
    {"a folder that fails for another reason is named, no success; the next folder is still done",
     [] { gFakeDrive.freeSectors = 600, gFakeDrive.folders["E:\\bad\\"].refuses = ERROR_CRC;
          gFakeDrive.folders["E:\\docs\\"].freeEntries = 2; },
     kJobFailed, {"AAA"}, {kNamesStart, "2 free entries of folders were overwritten",
                           "Cannot write the free entries of folder [E:\\bad\\]"}, {}},
    {"the stick is pulled out during the names step: every path is \"not found\" then, no success",
     [] { gFakeDrive.freeSectors = 600, gFakeDrive.folders["E:\\"].freeEntries = 10, gFakeDrive.vanishAtOpen = 3; },
     kJobFailed, {"AAA"}, {kNamesStart, "2 free entries of folders were overwritten", "Cannot delete 3 files in folder [E:\\]",
                           "Cannot detect Free space on drive E:", "Be sure drive E: is available to the system"}, {}, 3},
    {"a folder with more free entries than names: the next folder goes on, a failure",
     [] { gFakeDrive.freeSectors = 600, gFakeDrive.folders["E:\\many\\"].freeEntries = 20000;
          gFakeDrive.folders["E:\\docs\\"].freeEntries = 2; },
     kJobFailed, {"AAA"}, {kNamesStart, "17578 free entries of folders were overwritten",
                           "Not enough file names for the free entries of folder [E:\\many\\]"}, {}},
    {"Stop while the names are taken",
     [] { gFakeDrive.freeSectors = 600, gFakeDrive.folders["E:\\"].freeEntries = 10, gFakeDrive.stopAtOpen = 2; },
     kJobStopped, {"AAA"}, {kNamesStart, "2 free entries of folders were overwritten", "Operation was stopped"}, {}},
    {"Stop: the current pass completes",
     [] { gFakeDrive.freeSectors = 100000, gFakeDrive.stopAfterWrites = 5; },
     kJobStopped, {"AAA"}, {"Operation was stopped"}, {{256, 5}}},
    {"a stick of 3 MB/s: the time left once a second, then each later step, and the summary",
     [] { gFakeDrive.freeSectors = 100000, gFakeDrive.msPerWrite = 40; },
     kJobSucceeded, {"AAA"}, {kSucceeded}, {}, 0, {}, 0,
     {"Looking for files of an earlier run: 1 folder", "Estimating the time left", "Estimating the time left",
      "Estimating the time left", "About 13 s left (3.1 MB/s)", "About 12 s left (3.1 MB/s)", "About 11 s left (3.1 MB/s)", "About 10 s left (3.1 MB/s)",
      "About 9 s left (3.1 MB/s)", "About 8 s left (3.1 MB/s)", "About 7 s left (3.1 MB/s)", "About 6 s left (3.1 MB/s)",
      "About 5 s left (3.1 MB/s)", "About 4 s left (3.1 MB/s)", "About 3 s left (3.1 MB/s)", "About 2 s left (3.1 MB/s)",
      "About 1 s left (3.1 MB/s)", "Flushing the fill files to the drive: 0 of 1", "Checking what the drive kept: 0 of 48 MB",
      "Names of deleted files: 1 folder, 0 entries", "Deleting the fill files: 0 of 1", "48.8 MB written in 15 s (3.1 MB/s)"}},
    {"a Stop given before the first write is honoured after it",
     [] { gFakeDrive.freeSectors = 100000, gRunState.stopRequest = 1; },
     kJobStopped, {"AAA"}, {"Operation was stopped"}, {{256, 1}}},
};
// clang-format on

TEST(FillLoop, EveryWayADriveCanBehave) {
    static char buffer[kMessageBufferSize];
    gRunState.messageBuffer = buffer;
    lstrcpyA(gRunState.selectedDrive, "E:");
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.name);
        gRunState.stopRequest = 0;
        gFakeDrive = FakeDrive();
        ResetTempNames();
        gLoggedLines.clear();
        gStatusLines.clear();
        gSignals.clear();
        row.drive();
        unsigned long long reported = 0;
        QueryFreeBytes("E:\\", &reported);
        reported = reported / 512 + row.freed; // an earlier run's files are deleted before the measurement
        // Another program may take some of it during the run.
        const unsigned long long realFree = gFakeDrive.freeSectors - gFakeDrive.shrinkBy + row.freed;
        std::set<std::string> before;
        for (const auto& file : gFakeDrive.files) {
            before.insert(file.first);
        }
        std::map<std::string, std::string> entries; // exFAT folders before the run
        for (const auto& folder : gFakeDrive.folders) {
            entries[folder.first] = folder.second.entries;
        }

        EXPECT_EQ(RunCleaningJob(), row.outcome);
        Lines tail = row.tail;
        if (tail.back() == kSucceeded && std::find(tail.begin(), tail.end(), kNamesStart) == tail.end()) {
            // A success that the row does not spell out found no free entry in any folder.
            tail.insert(tail.end() - 1, {kNamesStart, "0 free entries of folders were overwritten"});
        }
        Lines expected = Lines{"Cleaning un-used sectors on drive E:"} + row.leftovers;
        if (row.files.size() != 0) { // measured
            expected =
                expected + Lines{"Free space on drive E: is " + std::to_string(reported * 512) + " in byte",
                                 "Free space on drive E: is " + std::to_string(reported) + " in Sectors"};
        }
        expected = expected + Creating(row.files) + tail;
        EXPECT_EQ(gLoggedLines, expected);
        if (row.opens >= 0) {
            EXPECT_EQ(gFakeDrive.opens, row.opens);
        }
        if (!row.requests.empty()) {
            EXPECT_EQ(RunLengths(gFakeDrive.requests), row.requests);
        }

        bool succeeded = std::find(expected.begin(), expected.end(), kSucceeded) != expected.end();
        // The status line: renewed at most once a second of the worker's clock
        // (texts up to their first digit tell a step), and at the end the
        // summary of every outcome.
        std::string shown;
        for (size_t i = 0; i < gStatusLines.size(); ++i) {
            std::string step =
                gStatusLines[i].text.substr(0, gStatusLines[i].text.find_first_of("0123456789"));
            EXPECT_TRUE(step != shown || gStatusLines[i].at - gStatusLines[i - 1].at >= 1000)
                << gStatusLines[i].text;
            shown = step;
        }
        ASSERT_FALSE(gStatusLines.empty());
        const char* how = row.outcome == kJobSucceeded ? ""
                          : row.outcome == kJobStopped ? "Stopped: "
                                                       : "Failed: ";
        EXPECT_TRUE(std::regex_match(gStatusLines.back().text,
                                     std::regex(how + std::string("[0-9.]+ [KMG]B written in .*"))))
            << gStatusLines.back().text;
        if (gFakeDrive.holdMs != 0) { // the user is told what the run waits for
            EXPECT_TRUE(std::any_of(gStatusLines.begin(), gStatusLines.end(), [](const StatusCall& call) {
                return call.text.rfind("Waiting for another program to let go of ", 0) == 0;
            }));
        }
        if (!row.status.empty()) {
            Lines texts;
            for (const StatusCall& call : gStatusLines) {
                texts.push_back(call.text);
            }
            EXPECT_EQ(texts, row.status);
        }
        // The window and Windows are told of the whole run, whatever its
        // end: the fill's progress, never going back, the steps after it,
        // then the end.
        ASSERT_GE(gSignals.size(), 2u);
        EXPECT_EQ(gSignals.front(), "begins");
        EXPECT_EQ(gSignals.back(), succeeded                    ? "succeeded"
                                   : row.outcome == kJobStopped ? "stopped"
                                                                : "failed");
        auto later = std::find(gSignals.begin(), gSignals.end(), "later");
        EXPECT_TRUE(!succeeded || later + 2 == gSignals.end());
        for (auto percent = gSignals.begin() + 1; percent + 1 < std::min(later, gSignals.end() - 1);
             ++percent) {
            EXPECT_LE(std::stoi(*percent), std::stoi(percent[1]));
        }

        // A success wrote every sector the drive had, and flushed every file.
        if (succeeded && !gFakeDrive.compresses) {
            EXPECT_EQ(gFakeDrive.taken - gFakeDrive.givenBack, realFree) << "every free sector written";
        }
        // A success flushed every file after its last write; a stop during the
        // fill flushes nothing: the file it leaves is deleted at once.
        if (succeeded) {
            EXPECT_EQ(gFakeDrive.unflushedDeletes, 0);
        }
        if (row.outcome == kJobStopped && row.files.size() != 0 && tail.size() == 1) {
            EXPECT_EQ(gFakeDrive.flushes, 0);
        }
        EXPECT_EQ(gFakeDrive.dirtyWrites, 0) << "nothing but zeros is written";
        for (const auto& folder : entries) { // a success wrote every free entry of exFAT's folders
            auto now = gFakeDrive.folders.find(folder.first);
            EXPECT_TRUE(now == gFakeDrive.folders.end() || now->second.entries.size() == folder.second.size())
                << folder.first << " grew for good";
            for (size_t i = 0; succeeded && i < folder.second.size(); ++i) {
                const std::vector<bool>& written = gFakeDrive.folders[folder.first].written;
                EXPECT_TRUE(folder.second[i] != '.' || (i < written.size() && written[i]))
                    << folder.first << i;
            }
        }
        // Every file closed, deleted in creation order; nothing left but what the row says.
        unsigned left = 0;
        for (const auto& file : gFakeDrive.files) {
            EXPECT_FALSE(file.second.open) << file.first << " left open";
            left += before.count(file.first) == 0 ? 1 : 0;
        }
        EXPECT_EQ(left, row.left);
        // No folder of a run's own stays, but one that holds a file of the user's.
        for (const auto& folder : row.left == 0 ? gFakeDrive.folders : decltype(gFakeDrive.folders)()) {
            std::string name = folder.first.substr(0, folder.first.size() - 1);
            auto inside = gFakeDrive.files.lower_bound(folder.first);
            bool holds = inside != gFakeDrive.files.end() && inside->first.rfind(folder.first, 0) == 0;
            EXPECT_TRUE(holds ||
                        LeftoverOf(name.substr(name.rfind('\\') + 1).c_str(), 0, false) != kEntryLeftover)
                << folder.first;
        }
        if (succeeded && strcmp(gFakeDrive.fileSystem, "NTFS") == 0) {
            long long old = gFakeDrive.oldRecords < 0 ? static_cast<long long>(gFakeDrive.freeRecords)
                                                      : gFakeDrive.oldRecords;
            EXPECT_EQ(old, 0) << "every free record overwritten";
        }
        if (succeeded) {
            EXPECT_EQ(gFakeDrive.oldSectors, 0u) << "what the run's folders gave back is written again";
        }
        auto fillFiles =
            [](const Lines& paths) { // this run's, wherever they went; an earlier run's were named
                Lines names;
                for (const std::string& path : paths) {
                    std::string name = path.substr(path.rfind('\\') + 1);
                    if (name.rfind(Name("").substr(3), 0) == 0) {
                        names.push_back(name);
                    }
                }
                return names;
            };
        EXPECT_EQ(fillFiles(gFakeDrive.deleted), fillFiles(gFakeDrive.made));
        if (row.left == 0) {
            EXPECT_EQ(gFakeDrive.freeSectors, realFree);
        }
    }
}

} // namespace
