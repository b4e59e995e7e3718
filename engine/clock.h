// The worker's clock, in milliseconds; it wraps after 49 days, so only
// differences of its readings count. Linked with the file layer, so that
// the tests that simulate a drive set the time too.
#ifndef TESSARINE_ENGINE_CLOCK_H
#define TESSARINE_ENGINE_CLOCK_H

#include <windows.h>

DWORD ClockMilliseconds();
// The worker waits, for another program or a drive.
void PauseMilliseconds(DWORD ms);

#endif
