// What a run tells its window and Windows: the gauge and the buttons, the
// power manager that the machine must not sleep while it runs (a stick is
// gone on waking), the taskbar button how far it is and how it ended
// (Windows 7 and later; the gauge is out of sight when the window is
// minimized), and a flash of that button when it ends behind other windows.
// The worker thread alone calls these, from the start order to the end of
// the run.
#ifndef TESSARINE_FRAME_RUN_SIGNALS_H
#define TESSARINE_FRAME_RUN_SIGNALS_H

// The machine kept awake (the display may sleep); the button busy.
void SignalRunBegins();
// The fill's progress, 0 to 100: the gauge, green, and the button.
void SignalFillProgress(unsigned percent);
// The steps after the fill, whose length is not known: the button busy.
void SignalLaterSteps();
// A success fills the gauge and leaves Quit to press (Stop off); a stop
// turns the gauge red at half; a failure leaves it where it stood. The button
// cleared after a success, red otherwise; flashed when the window is not in
// front; the machine free to sleep again.
enum RunEnd { kRunSucceeded, kRunStopped, kRunFailed };
void SignalRunEnds(RunEnd end);

#endif
