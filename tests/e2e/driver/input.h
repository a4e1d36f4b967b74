#pragma once

#include <windows.h>

#include <optional>
#include <string_view>
#include <vector>

// A key with its modifiers, written like "Enter", "Shift+Tab", "Alt+F4" or
// "Alt+O"; names are matched without regard to case.
struct KeyChord {
    std::vector<WORD> modifiers;
    WORD key = 0;
};

std::optional<KeyChord> ParseKeyChord(std::wstring_view keys);

// Real input through SendInput: it goes where the system sends the user's
// keys, i.e. to the foreground window's focus.
bool SendKeyChord(const KeyChord& chord);

// Types each UTF-16 code unit of `text` as a character of its own, whatever
// the keyboard layout (KEYEVENTF_UNICODE): WM_CHAR without Alt.
bool TypeText(std::wstring_view text);

// Moves the mouse to the screen point `from`, presses the left button there
// and releases it at `to`: a click, or, elsewhere, a press that the user
// takes back by sliding off. The points are meant to be on `window`. Returns
// false when the cursor would not stay on `from`.
bool PressAndRelease(HWND window, POINT from, POINT to);

// Makes the window the foreground window unless it is already. Returns whether
// it is foreground now.
bool EnsureForeground(HWND window);

// The centre of the window's close box in screen coordinates, found by hit
// testing along its title bar.
std::optional<POINT> CloseBoxPoint(HWND window);
