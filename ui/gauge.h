// The progress gauge: a framed band painted straight onto the main dialog's
// client area at five sixths of its height, filled from the left.
#ifndef TESSARINE_UI_GAUGE_H
#define TESSARINE_UI_GAUGE_H

#include <windows.h>

// At 96 dpi a band 24 pixels high, filled 2 pixels inside its frame; at
// other scales as much higher as the window (ScaleWithWindow), filled a
// twelfth of its height inside.
enum : int { kGaugeHeight = 24 };

struct GaugeGeometry {
    RECT frame;
    RECT fill; // empty (right < left) at value 0
};

GaugeGeometry ComputeGauge(int clientWidth, int clientHeight, unsigned value, unsigned maximum,
                           int bandHeight = kGaugeHeight);

// The band's height at the screen's scale.
int GaugeHeight();

// 'W' green, 'F' light blue, 'E' red; any other letter draws like 'W'.
COLORREF GaugeColour(char letter);

// Paints the gauge from any thread and remembers value x 100 / maximum and
// the letter; letter 0 keeps the remembered one. maximum is at least 2. The
// drawing is skipped when the band would be the one drawn last.
void DrawGauge(unsigned value, unsigned maximum, char letter);

// The band on screen is gone (the window was painted): the next DrawGauge draws.
void ForgetDrawnGauge();

#endif
