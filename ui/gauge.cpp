#include "ui/gauge.h"

#include "frame/run_state.h"
#include "ui/dpi.h"

namespace {

// What is on screen: the fill's right edge and colour letter of the band
// drawn last, and the client size it was drawn in; 0 when the next call must
// draw. The worker calls DrawGauge once per 128 KiB written, while the band
// changes only a few hundred times in a whole run.
std::atomic<unsigned> gDrawnBand;
std::atomic<unsigned> gDrawnClient;

unsigned BandKey(const GaugeGeometry& g, char letter) {
    return (static_cast<unsigned>(g.fill.right + 1) << 8 | static_cast<unsigned char>(letter)) & 0x7FFFFFFF;
}

} // namespace

GaugeGeometry ComputeGauge(int clientWidth, int clientHeight, unsigned value, unsigned maximum, int height) {
    GaugeGeometry g;
    int top = clientHeight * 5 / 6, inset = height / 12;
    g.frame = {0, top, clientWidth, top + height};
    // The divisor is maximum - 1, so the bar is already full at maximum - 1.
    // With no pen the fill leaves out its right and bottom edges.
    unsigned inner = static_cast<unsigned>(clientWidth - 2 * inset + 2);
    unsigned length = inner * value / (maximum - 1);
    unsigned right = length < inner ? length : inner;
    g.fill = {inset, top + inset, inset + static_cast<int>(right) - 1, top + height - inset + 1};
    return g;
}

int GaugeHeight() {
    int dpi = ScreenDpi();
    SIZE band = {0, kGaugeHeight};
    return dpi == kBaseDpi ? +kGaugeHeight
                           : ScaleWithWindow(band, DialogFontUnits(kBaseDpi), DialogFontUnits(dpi)).cy;
}

COLORREF GaugeColour(char letter) {
    switch (letter) {
    case 'F':
        return RGB(128, 128, 255);
    case 'E':
        return RGB(255, 0, 0);
    default:
        return RGB(0, 255, 0);
    }
}

void DrawGauge(unsigned value, unsigned maximum, char letter) {
    gRunState.gaugePercent.store(static_cast<unsigned short>(value * 100 / maximum),
                                 std::memory_order_relaxed);
    if (letter == 0) {
        letter = gRunState.gaugeLetter.load(std::memory_order_relaxed);
    } else {
        gRunState.gaugeLetter.store(letter, std::memory_order_relaxed);
    }
    HWND window = gRunState.dialogWindow.load(std::memory_order_relaxed);
    if (window == nullptr) {
        return;
    }
    static const int height = GaugeHeight(); // the system's scale: the same for the whole run
    unsigned drawnClient = gDrawnClient.load(std::memory_order_relaxed);
    if (drawnClient != 0) {
        GaugeGeometry same = ComputeGauge(static_cast<int>(drawnClient >> 16),
                                          static_cast<int>(drawnClient & 0xFFFF), value, maximum, height);
        if (BandKey(same, letter) == gDrawnBand.load(std::memory_order_relaxed)) {
            return; // the picture on screen already
        }
    }
    HDC dc = GetDC(window);
    if (dc == nullptr) {
        return;
    }
    RECT client;
    GetClientRect(window, &client);
    GaugeGeometry g = ComputeGauge(client.right, client.bottom, value, maximum, height);
    HGDIOBJ keptPen = SelectObject(dc, GetStockObject(NULL_PEN));
    DrawEdge(dc, &g.frame, EDGE_BUMP, BF_RECT);
    HBRUSH brush = CreateSolidBrush(GaugeColour(letter));
    HGDIOBJ keptBrush = SelectObject(dc, brush);
    Rectangle(dc, g.fill.left, g.fill.top, g.fill.right, g.fill.bottom);
    SelectObject(dc, keptPen);
    SelectObject(dc, keptBrush);
    DeleteObject(brush);
    ReleaseDC(window, dc);
    gDrawnClient.store(static_cast<unsigned>(client.right) << 16 |
                           (static_cast<unsigned>(client.bottom) & 0xFFFF),
                       std::memory_order_relaxed);
    gDrawnBand.store(BandKey(g, letter), std::memory_order_relaxed);
}

void ForgetDrawnGauge() {
    gDrawnBand.store(0, std::memory_order_relaxed);
}
