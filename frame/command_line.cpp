// The command line: space-separated tokens, of which drive tokens ("e:")
// naming a removable drive pick the drive to clean, and help switches are
// remembered. All other tokens are ignored.
#include "frame/command_line.h"

#include <windows.h>

#include "frame/run_state.h"

int TokenizeArguments(char* args, char** tokens, int maxTokens) {
    int count = 0;
    char previous = ' ';
    // Walks by pointer, so argument strings of any length are split and the
    // scan always ends at the terminator.
    for (char* p = args; *p != '\0'; ++p) {
        char c = *p;
        if (c != ' ' && previous == ' ') {
            if (count == maxTokens) {
                break;
            }
            tokens[count++] = p;
        } else if (c == ' ' && previous != ' ') {
            *p = '\0';
        }
        previous = c;
    }
    return count;
}

bool IsDriveToken(const char* token) {
    return token[0] != '\0' && token[1] == ':' && token[2] == '\0';
}

bool IsHelpSwitch(const char* token) {
    if (token[0] != '/' && token[0] != '-') {
        return false;
    }
    return token[1] == '?' || token[1] == 'h' || token[1] == 'H';
}

void ApplyDriveToken(const char* token, unsigned driveType, char* selectedDrive, int* commandLineDrive) {
    if (driveType == DRIVE_REMOVABLE) {
        selectedDrive[0] = token[0];
        selectedDrive[1] = token[1];
        selectedDrive[2] = '\0';
        *commandLineDrive = 1;
    } else if (*commandLineDrive == 0) {
        // Emptied; the drive list sets the letter back when it is filled.
        selectedDrive[0] = '\0';
    }
}

bool IsSupportedSystem(unsigned long majorVersion, unsigned long platformId) {
    return majorVersion == 5 || majorVersion == 6 || platformId == VER_PLATFORM_WIN32_NT;
}

void ReadCommandLine(char* args) {
    char* tokens[kMaxTokens];
    int count = TokenizeArguments(args, tokens, kMaxTokens);
    for (int i = 0; i < count; ++i) {
        const char* token = tokens[i];
        if (IsDriveToken(token)) {
            ApplyDriveToken(token, GetDriveTypeA(token), gRunState.selectedDrive,
                            &gRunState.commandLineDrive);
        }
        if (IsHelpSwitch(token)) {
            gRunState.helpSwitch = 1;
        }
    }
}
