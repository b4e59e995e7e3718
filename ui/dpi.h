// What the program draws in pixels follows the screen's scale. Its manifest
// says it is DPI aware, so Windows no longer stretches the window as a
// bitmap (blurred at 125 to 200 %). The window grows with its dialog font,
// by that font's own steps rather than by the dpi alone; the log font and
// the gauge are sized here to keep their share of it, and the icons come in
// the sizes of the scales. At 96 dpi every size is what it always was.
#ifndef TESSARINE_UI_DPI_H
#define TESSARINE_UI_DPI_H

#include <windows.h>

enum : int { kBaseDpi = 96 };

// The screen's dots per inch, as the system scale sets them.
int ScreenDpi();

// The dialog font's units at dpi, as the dialog manager takes them: the
// average width of the letters and the height.
SIZE DialogFontUnits(int dpi);

// A size in pixels at 96 dpi, grown as the window grows: by the ratio of the
// dialog font's units at dpi to those at 96 dpi.
SIZE ScaleWithWindow(SIZE pixels, SIZE units96, SIZE units);

// The message log's font at dpi: Fixedsys, 14 by 9 pixels at 96 dpi, grown
// with the window at any other, so that a line shows as many characters.
void DescribeLogFont(LOGFONTA* font, int dpi);

#endif
