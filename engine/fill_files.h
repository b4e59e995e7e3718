// Names for the fill files and the list that records and deletes them.
#ifndef TESSARINE_ENGINE_FILL_FILES_H
#define TESSARINE_ENGINE_FILL_FILES_H

// What a node stands for, set by whoever made the file or found it: a fill
// file, a small file of the steps after the fill (or an earlier run's), a
// folder of the run's own, or such a folder that holds its fill files.
enum NodeKind : unsigned char { kFillFileKind, kSmallFileKind, kFolderKind, kHolderKind };
inline bool IsFolderKind(NodeKind kind) {
    return kind == kFolderKind || kind == kHolderKind;
}

struct FillFileNode {
    char* Name; // full path, owned by the node; a folder's ends in a backslash
    FillFileNode* Next;
    bool Left;     // still on the drive after its deletion
    bool Pending;  // its deletion was taken (or refused for now): it may yet go
    NodeKind Kind; // a fill file unless its maker says otherwise
};

// kNameCount: the counter's names, AAA to ZZZ.
enum : unsigned { kMaxTempNameLength = 12, kMaxPaddedLength = 255, kNameCount = 26 * 26 * 26 };

// The process id in base 32 (digits 0-9, A-V), most significant first.
void FormatProcessIdBase32(unsigned long processId, char* out);

// The next free fill-file name ("_16I.AAA" for process id 1234), tested for
// existence in directory (which ends in a backslash, "e:\"), and made length
// characters long (at most kMaxPaddedLength) with zeros before the process
// id when that is longer. The result is a static buffer valid until the next
// call; null when no free name is left. Without probe, the next name is not
// tested: the caller creates it only if it is new, and asks again if not.
const char* NextTempName(const char* directory, unsigned length = 0, bool probe = true);

// name ("_16I.AAA") with zeros after its "_" up to length characters.
void PadTempName(const char* name, unsigned length, char* out);

// True for a name of the fill-file form: "_", 1 to 7 base-32 digits
// (0-9, A-V), ".", three capital letters; the digits may follow zeros, as
// in a padded name.
bool IsFillFileName(const char* name);

// The small files of the steps after the fill have names of at least this
// length, zeros before the process id ("_000016I.AAA"): still one entry of
// FAT's, three of exFAT's, and no name a user gives a file.
enum : unsigned { kEntryNameLength = 12 };

// A name of the small files of the later steps: padded with zeros.
bool IsPaddedName(const char* name);

// What an earlier run may have left, by name and size: a fill file in the
// root (or in a folder of the run's own, where the last steps move them)
// holds whole sectors of zeros, under the plain name and a counter that
// begins with A; a file of the later steps, anywhere, holds at most the zeros
// of a record, under a padded name. Anything else is the user's, whatever
// its contents.
enum Leftover { kNotALeftover, kFillLeftover, kEntryLeftover };
Leftover LeftoverOf(const char* name, unsigned long long size, bool whereFillFilesLie);

// Forgets the last name, so the next call starts at "AAA" again.
void ResetTempNames();

// A node holding its own copy of path, of a fill file; null when memory runs
// out.
FillFileNode* NewFillFileNode(const char* path);

// Deletes the file of every node from first on, in list order, then the
// folders of the list, the last made first, and releases the nodes. A file
// that stays on the drive is named in the log (files that stay one after the
// other in one folder, by their folder and count; the folders that stay, by
// the one that holds the others) and does not stop the others; with
// progress, the status line counts the files. Returns the number left.
unsigned DeleteFillFiles(FillFileNode* first, bool progress);

// Deletes the run's own folders and small files of the list from *head on,
// as DeleteFillFiles does, and keeps its fill files (and the folders that
// hold them) in their order; *tail is set to the last fill file (null for
// none). Returns the number left.
unsigned DeleteOwnEntries(FillFileNode** head, FillFileNode** tail, bool progress);

unsigned CountFillFiles(const FillFileNode* first);

#endif
