// The walk of every folder of a drive, for the earlier run's leftovers and
// for the names of deleted files: depth first, from a stack on the heap (the
// worker's own stack is small). A link (reparse point) is never followed,
// and the run's own folders are passed over unless asked for. The caller
// lists each folder once, and hands the walk the subfolders it found.
#ifndef TESSARINE_ENGINE_FOLDER_WALK_H
#define TESSARINE_ENGINE_FOLDER_WALK_H

#include "engine/file_access.h"
#include "engine/fill_files.h"

struct FolderWalk {
    FillFileNode* pending; // the folders still to visit, the next first
    FillFileNode* current; // the one being visited
    bool outOfMemory;      // a folder that could not be kept was left out
};

// The walk from root ("e:\").
void WalkBegin(FolderWalk* walk, const char* root);

// The next folder's path, ending in a backslash (valid until the next
// call); null once every folder was visited.
const char* WalkNext(FolderWalk* walk);

// entry, found in the current folder: a subfolder to visit, unless it is a
// link, "." or "..", a folder of a run's own (but with ownToo), or too deep
// for a path. Its path, or null when it is not visited.
const char* WalkInto(FolderWalk* walk, const FoundFile& entry, bool ownToo);

// Releases what is left of the walk, after a stop or a failure too.
void WalkEnd(FolderWalk* walk);

#endif
