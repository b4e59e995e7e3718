#include "ui/dpi.h"

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : kBaseDpi;
    if (screen != nullptr) {
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : kBaseDpi;
}

SIZE DialogFontUnits(int dpi) {
    // The templates' font: 8 points of "Helv".
    HFONT font =
        CreateFontA(-MulDiv(8, dpi, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Helv");
    HDC dc = CreateCompatibleDC(nullptr);
    SIZE units = {MulDiv(6, dpi, kBaseDpi), MulDiv(13, dpi, kBaseDpi)}; // should the font not be had
    if (font != nullptr && dc != nullptr) {
        HGDIOBJ kept = SelectObject(dc, font);
        static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        SIZE letters;
        TEXTMETRICA metrics;
        if (GetTextExtentPoint32A(dc, kLetters, 52, &letters) && GetTextMetricsA(dc, &metrics)) {
            units = {(letters.cx / 26 + 1) / 2, metrics.tmHeight};
        }
        SelectObject(dc, kept);
    }
    if (dc != nullptr) {
        DeleteDC(dc);
    }
    if (font != nullptr) {
        DeleteObject(font);
    }
    return units;
}

SIZE ScaleWithWindow(SIZE pixels, SIZE units96, SIZE units) {
    return {MulDiv(pixels.cx, units.cx, units96.cx), MulDiv(pixels.cy, units.cy, units96.cy)};
}

void DescribeLogFont(LOGFONTA* font, int dpi) {
    SIZE size = {9, 14};
    if (dpi != kBaseDpi) {
        size = ScaleWithWindow(size, DialogFontUnits(kBaseDpi), DialogFontUnits(dpi));
    }
    ZeroMemory(font, sizeof *font);
    font->lfHeight = size.cy;
    font->lfWidth = size.cx;
    font->lfWeight = FW_NORMAL;
    font->lfCharSet = ANSI_CHARSET;
    font->lfOutPrecision = OUT_DEFAULT_PRECIS;
    font->lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font->lfQuality = DEFAULT_QUALITY;
    font->lfPitchAndFamily = FIXED_PITCH;
    lstrcpynA(font->lfFaceName, "Fixedsys", LF_FACESIZE);
}
