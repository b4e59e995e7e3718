#include "engine/folder_walk.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

void Release(FillFileNode* node) {
    if (node != nullptr) {
        free(node->Name);
        free(node);
    }
}

} // namespace

void WalkBegin(FolderWalk* walk, const char* root) {
    walk->pending = NewFillFileNode(root);
    walk->current = nullptr;
    walk->outOfMemory = walk->pending == nullptr;
}

const char* WalkNext(FolderWalk* walk) {
    Release(walk->current);
    walk->current = walk->pending;
    if (walk->current == nullptr) {
        return nullptr;
    }
    walk->pending = walk->current->Next;
    return walk->current->Name;
}

const char* WalkInto(FolderWalk* walk, const FoundFile& entry, bool ownToo) {
    static char path[kMaxPathBytes + kMaxNameBytes];
    if (!entry.folder || entry.reparse || strcmp(entry.name, ".") == 0 || strcmp(entry.name, "..") == 0 ||
        (!ownToo && LeftoverOf(entry.name, 0, false) == kEntryLeftover) ||
        snprintf(path, sizeof path, "%s%s\\", walk->current->Name, entry.name) >=
            static_cast<int>(sizeof path)) {
        return nullptr;
    }
    FillFileNode* node = NewFillFileNode(path);
    if (node == nullptr) {
        walk->outOfMemory = true;
        return nullptr;
    }
    node->Kind = kFolderKind;
    node->Next = walk->pending;
    walk->pending = node;
    return node->Name;
}

void WalkEnd(FolderWalk* walk) {
    while (WalkNext(walk) != nullptr) {
    }
}
