#include "dialog/dialog_layout.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

// Lets failures show the rectangle instead of raw bytes.
void PrintTo(const TwipsRect& r, std::ostream* os) {
    *os << "{" << r.left << ", " << r.top << ", " << r.width << " x " << r.height << "}";
}

namespace {

TEST(LayoutFor, TenOptionsIsTheFullLayout) {
    const DialogGeometry g = LayoutFor(10);
    EXPECT_EQ(g.clientWidth, 5970);
    EXPECT_EQ(g.clientHeight, 4620);
    EXPECT_EQ(g.lblTesto, (TwipsRect{120, 60, 5715, 375}));
    EXPECT_EQ(g.frmSceltaFrame, (TwipsRect{120, 480, 5715, 3315}));
    for (int i = 0; i < kMaxOptions; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(g.optScelta[i], (TwipsRect{240, 720 + 300.0f * i, 5415, 195}));
    }
    EXPECT_EQ(g.cmdOk, (TwipsRect{1380, 3960, 1455, 435}));
    EXPECT_EQ(g.cmdAnnulla, (TwipsRect{3120, 3960, 1455, 435}));
    EXPECT_EQ(g.lblTempo, (TwipsRect{5280, 4080, 495, 195}));
}

TEST(LayoutFor, ShrinksBy300TwipsPerMissingRow) {
    const DialogGeometry full = LayoutFor(10);
    for (int n = 0; n <= kMaxOptions; ++n) {
        SCOPED_TRACE(n);
        const DialogGeometry g = LayoutFor(n);
        const float up = 300.0f * (10 - n);
        EXPECT_EQ(g.clientWidth, 5970);
        EXPECT_EQ(g.clientHeight, 1620 + 300.0f * n);
        EXPECT_EQ(g.lblTesto, full.lblTesto);
        EXPECT_EQ(g.frmSceltaFrame, (TwipsRect{120, 480, 5715, 315 + 300.0f * n}));
        EXPECT_EQ(g.cmdOk, (TwipsRect{1380, 960 + 300.0f * n, 1455, 435}));
        EXPECT_EQ(g.cmdAnnulla, (TwipsRect{3120, 960 + 300.0f * n, 1455, 435}));
        EXPECT_EQ(g.lblTempo, (TwipsRect{5280, 4080 - up, 495, 195}));
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(g.optScelta[i], full.optScelta[i]) << "row " << i;
        }
        if (n > 0) {
            // The frame ends 180 twips below the last row shown.
            const TwipsRect& last = g.optScelta[n - 1];
            EXPECT_EQ(g.frmSceltaFrame.top + g.frmSceltaFrame.height, last.top + last.height + 180);
        }
    }
}

TEST(LayoutFor, PixelsAt96Dpi) {
    for (int n = 1; n <= kMaxOptions; ++n) {
        SCOPED_TRACE(n);
        const DialogGeometry g = LayoutFor(n);
        EXPECT_EQ(TwipsToPixels(g.clientWidth, 96), 398);
        EXPECT_EQ(TwipsToPixels(g.clientHeight, 96), 108 + 20 * n);
    }
    // Every control, with its last row, as the end-to-end tests' runs show it.
    for (int n : {1, 2, 3, 10}) {
        SCOPED_TRACE(n);
        const DialogGeometry g = LayoutFor(n);
        EXPECT_EQ(TwipsToPixels(g.lblTesto, 96), (PixelRect{8, 4, 381, 25}));
        EXPECT_EQ(TwipsToPixels(g.frmSceltaFrame, 96), (PixelRect{8, 32, 381, 21 + 20 * n}));
        EXPECT_EQ(TwipsToPixels(g.optScelta[n - 1], 96),
                  (PixelRect{16, 48 + 20 * (n - 1), 361, 13}));
        EXPECT_EQ(TwipsToPixels(g.cmdOk, 96), (PixelRect{92, 64 + 20 * n, 97, 29}));
        EXPECT_EQ(TwipsToPixels(g.cmdAnnulla, 96), (PixelRect{208, 64 + 20 * n, 97, 29}));
        EXPECT_EQ(TwipsToPixels(g.lblTempo, 96), (PixelRect{352, 72 + 20 * n, 33, 13}));
    }
}

struct ScaleCase {
    float twips;
    int dpi;
    int pixels;
};

TEST(TwipsToPixels, ScalesWithDpi) {
    const std::vector<ScaleCase> cases = {
        {0, 96, 0},       {15, 96, 1},      {1440, 96, 96},   {5970, 96, 398},  {1440, 120, 120},
        {4620, 120, 385}, {3960, 120, 330}, {1440, 144, 144}, {5970, 144, 597}, {4620, 144, 462},
        {1440, 192, 192}, {5970, 192, 796}, {4620, 192, 616}, {435, 192, 58},   {-150, 96, -10},
    };
    for (const ScaleCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.twips << " twips at " << c.dpi << " dpi");
        EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels);
    }
}

TEST(PixelsToTwips, InvertsTheScale) {
    EXPECT_EQ(PixelsToTwips(1, 96), 15);
    EXPECT_EQ(PixelsToTwips(398, 96), 5970);
    EXPECT_EQ(PixelsToTwips(120, 120), 1440);
    EXPECT_EQ(PixelsToTwips(1024, 96), 15360);
    EXPECT_EQ(PixelsToTwips(3, 144), 30);
    for (int dpi : {96, 120, 144, 192}) {
        for (int px : {0, 1, 7, 398, 1080}) {
            EXPECT_EQ(TwipsToPixels(PixelsToTwips(px, dpi), dpi), px) << px << " px at " << dpi;
        }
    }
}

struct CentreCase {
    float screenW, screenH, windowW, windowH;
    float left, top;
};

TEST(CentreOnScreen, HalvesTheSpareRoomKeepingFractions) {
    const float screenW = 1024 * 15.0f; // 1024 x 768 px at 96 dpi
    const float screenH = 768 * 15.0f;
    const std::vector<CentreCase> cases = {
        {screenW, screenH, 6060, 4995, 4650, 3262.5f},
        {screenW, screenH, 6060, 4995 - 2100, 4650, 4312.5f},
        {screenW, screenH, screenW, screenH, 0, 0},
        {screenW, screenH, 20000, 12000, -2320, -240},
        {9000, 3000, 6061, 4995, 1469.5f, -997.5f},
    };
    for (const CentreCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.windowW << " x " << c.windowH);
        const TwipsPoint p = CentreOnScreen(c.screenW, c.screenH, c.windowW, c.windowH);
        EXPECT_EQ(p.left, c.left);
        EXPECT_EQ(p.top, c.top);
    }
}

} // namespace
