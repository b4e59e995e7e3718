#include "engine/clock.h"

// A read of a counter that the system keeps: no call into the kernel, so
// the fill loop may read it after every block.
DWORD ClockMilliseconds() {
    return GetTickCount();
}

void PauseMilliseconds(DWORD ms) {
    Sleep(ms);
}
