#pragma once

#include <array>

// The dialog's fixed layout, made for the largest case of ten options. All
// lengths are twips (1/1440 inch; 15 to the pixel at 96 DPI).

inline constexpr int kMaxOptions = 10;
inline constexpr int kRowPitchTwips = 300; // from one option row to the next

inline constexpr wchar_t kDefaultCaption[] = L"Tolvane";
inline constexpr wchar_t kDefaultPrompt[] = L"Scegliere quale elaborazione eseguire:";
inline constexpr wchar_t kOkCaption[] = L"&OK";
inline constexpr wchar_t kAnnullaCaption[] = L"&Annulla";
inline constexpr wchar_t kTempoCaptionAtCreation[] = L"0";

struct TwipsRect {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;

    bool operator==(const TwipsRect&) const = default;
};

// Positions are relative to the client area (the option rows too, although
// they sit inside the frame: in the window they are the frame's siblings).
struct DialogGeometry {
    float clientWidth = 0;
    float clientHeight = 0;
    TwipsRect lblTesto;
    TwipsRect frmSceltaFrame; // the frame frmScelta around the option rows
    std::array<TwipsRect, kMaxOptions> optScelta;
    TwipsRect cmdOk;
    TwipsRect cmdAnnulla;
    TwipsRect lblTempo;
};

// The layout shrunk to `numOptions` rows (0 to 10): the frame, the button row
// and the countdown label move up, and the client area shrinks, by 300 twips
// for each missing row.
DialogGeometry LayoutFor(int numOptions);

// Top-left corner (twips) that centres a window of the given outer size on a
// screen of the given size; negative when the window is the larger.
struct TwipsPoint {
    float left = 0;
    float top = 0;
};
TwipsPoint CentreOnScreen(float screenWidth, float screenHeight, float windowWidth,
                          float windowHeight);

// A rectangle in pixels.
struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    bool operator==(const PixelRect&) const = default;
};

// The one conversion from twips to pixels at `dpi` dots per inch, for a
// length and for a rectangle (each of its four numbers rounded alike).
int TwipsToPixels(float twips, int dpi);
PixelRect TwipsToPixels(const TwipsRect& rect, int dpi);
// Pixels to twips, for measuring what the platform reports in pixels.
float PixelsToTwips(int pixels, int dpi);
