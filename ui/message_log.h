// The message log (list box 101 of the main dialog): the tool's only way of
// reporting to the user.
#ifndef TESSARINE_UI_MESSAGE_LOG_H
#define TESSARINE_UI_MESSAGE_LOG_H

#include <cstddef>

#include <windows.h>

enum : unsigned { kLogLineSize = 256 };

// Copies text into line (kLogLineSize bytes) without its newline
// characters, cut at 255 characters. Returns the length.
size_t PrepareLogLine(const char* text, char* line);

// Takes the next line of a multi-line text into line (as long as the text).
// A line ended by a newline loses its last character unless that is an
// ASCII letter or digit; the text's last line, with no newline after it, is
// kept whole. Returns where the rest begins, or null when nothing is left.
const char* TakeLogTextLine(const char* text, char* line);

// Text in the OEM code page, one line; callable from either thread.
void AddLogLine(const char* text);
// Text in the OEM code page, any number of lines; dialog thread only.
void AddLogText(const char* text);
void WriteInstructions();

// The log's selected lines to the clipboard as Unicode text, a line each,
// as the list shows them (all of them after SelectAllLogLines); the log is
// left as it is. False when nothing is selected or the clipboard is busy.
// Dialog thread only: the worker goes on adding lines meanwhile.
bool CopyLogLines(HWND window);
void SelectAllLogLines(HWND window);

// The status line above the log (the prompt before a run); ASCII text, one
// line; callable from either thread.
void ShowStatusLine(const char* text);

#endif
