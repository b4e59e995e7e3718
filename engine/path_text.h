// Paths as the engine keeps them (UTF-8) and as the log shows them: in the
// OEM code page, where a character it lacks prints as '?', and shortened in
// the middle when a line has no room for the whole path.
#ifndef TESSARINE_ENGINE_PATH_TEXT_H
#define TESSARINE_ENGINE_PATH_TEXT_H

#include <stddef.h>

// UTF-16 units of a UTF-8 text: the measure of Windows' limits.
size_t Utf16Length(const char* text);

// path within room characters (room >= 12): whole when it fits; otherwise
// the drive and the first folder, "...", the last folder and the file's own
// name ("E:\docs\...\old\file.txt"), the name cut at its start when even that
// is too long. Returns the length written to out (room + 1 units).
size_t ShortenPathForLog(const wchar_t* path, size_t room, wchar_t* out);

// format ("Cannot delete file [%s]") with path in place of its "%s", into
// line (kLogLineSize * 3 bytes hold any); LogPathLine logs it.
void FormatPathLine(const char* format, const char* path, char* line, size_t size);
void LogPathLine(const char* format, const char* path);

#endif
