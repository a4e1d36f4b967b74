#include "dialog/dialog_layout.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kTwipsPerInch = 1440.0f;

// The layout for ten rows, in twips.
constexpr float kClientWidth = 5970;
constexpr float kClientHeight = 4620;
constexpr TwipsRect kTesto{120, 60, 5715, 375};
constexpr TwipsRect kFrame{120, 480, 5715, 3315};
constexpr TwipsRect kOk{1380, 3960, 1455, 435};
constexpr TwipsRect kAnnulla{3120, 3960, 1455, 435};
constexpr TwipsRect kTempo{5280, 4080, 495, 195};

// Option rows, measured from the frame's outer top-left corner.
constexpr float kRowLeftInFrame = 120;
constexpr float kFirstRowTopInFrame = 240;
constexpr float kRowWidth = 5415;
constexpr float kRowHeight = 195; // one line of the dialog font

} // namespace

DialogGeometry LayoutFor(int numOptions) {
    const int shown = std::clamp(numOptions, 0, kMaxOptions);
    const float shrink = static_cast<float>((kMaxOptions - shown) * kRowPitchTwips);

    DialogGeometry g;
    g.clientWidth = kClientWidth;
    g.clientHeight = kClientHeight - shrink;
    g.lblTesto = kTesto;
    g.frmSceltaFrame = kFrame;
    g.frmSceltaFrame.height -= shrink;
    for (int i = 0; i < kMaxOptions; ++i) {
        g.optScelta[i] = {kFrame.left + kRowLeftInFrame,
                          kFrame.top + kFirstRowTopInFrame + static_cast<float>(kRowPitchTwips * i),
                          kRowWidth, kRowHeight};
    }
    g.cmdOk = kOk;
    g.cmdOk.top -= shrink;
    g.cmdAnnulla = kAnnulla;
    g.cmdAnnulla.top -= shrink;
    g.lblTempo = kTempo;
    g.lblTempo.top -= shrink;
    return g;
}

TwipsPoint CentreOnScreen(float screenWidth, float screenHeight, float windowWidth,
                          float windowHeight) {
    return {(screenWidth - windowWidth) / 2.0f, (screenHeight - windowHeight) / 2.0f};
}

int TwipsToPixels(float twips, int dpi) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / kTwipsPerInch));
}

PixelRect TwipsToPixels(const TwipsRect& rect, int dpi) {
    return {TwipsToPixels(rect.left, dpi), TwipsToPixels(rect.top, dpi),
            TwipsToPixels(rect.width, dpi), TwipsToPixels(rect.height, dpi)};
}

float PixelsToTwips(int pixels, int dpi) {
    return static_cast<float>(pixels) * kTwipsPerInch / static_cast<float>(dpi);
}
