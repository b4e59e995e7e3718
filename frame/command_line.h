// Reading the command line: the tokeniser, drive tokens and help switches,
// and the operating-system decision. Everything here but ReadCommandLine
// works on values only.
#ifndef TESSARINE_FRAME_COMMAND_LINE_H
#define TESSARINE_FRAME_COMMAND_LINE_H

enum : int { kMaxTokens = 25 };

// Splits args in place at spaces (only 0x20 separates) and records where each
// token starts; stops after maxTokens tokens. Returns the number recorded.
int TokenizeArguments(char* args, char** tokens, int maxTokens);

// Two characters, the second a colon.
bool IsDriveToken(const char* token);

// "/?", "-h", "/H" and the like: '/' or '-' followed by '?', 'h' or 'H'.
bool IsHelpSwitch(const char* token);

// Folds one drive token into the drive choice. driveType is what
// GetDriveTypeA says of the token. A removable drive is selected; any other
// empties the choice, unless an earlier token already chose a removable
// drive, which then stands.
void ApplyDriveToken(const char* token, unsigned driveType, char* selectedDrive, int* commandLineDrive);

// XP, Vista and every system of the NT family.
bool IsSupportedSystem(unsigned long majorVersion, unsigned long platformId);

// Tokenises args and applies every drive token (asking the system for its
// type) and help switch to the run state.
void ReadCommandLine(char* args);

#endif
