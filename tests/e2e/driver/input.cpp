#include "input.h"

#include "window_info.h"

#include <cwctype>
#include <string>

namespace {

struct NamedKey {
    const wchar_t* name;
    WORD key;
};

// Shift is also a key of its own, pressed and released alone.
constexpr NamedKey kNamedKeys[] = {{L"enter", VK_RETURN}, {L"esc", VK_ESCAPE}, {L"tab", VK_TAB},
                                   {L"space", VK_SPACE},  {L"up", VK_UP},      {L"down", VK_DOWN},
                                   {L"f4", VK_F4},        {L"shift", VK_SHIFT}};

constexpr NamedKey kModifiers[] = {{L"shift", VK_SHIFT}, {L"alt", VK_MENU}};

// The key of this name in `table`, matched without regard to case.
template <std::size_t N>
std::optional<WORD> Lookup(const NamedKey (&table)[N], std::wstring_view name) {
    const std::wstring text(name);
    for (const NamedKey& named : table) {
        if (lstrcmpiW(text.c_str(), named.name) == 0) {
            return named.key;
        }
    }
    return std::nullopt;
}

std::optional<WORD> KeyByName(std::wstring_view name) {
    if (name.size() == 1) {
        wchar_t c = static_cast<wchar_t>(std::towupper(name[0]));
        if ((c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9')) {
            return static_cast<WORD>(c);
        }
    }
    return Lookup(kNamedKeys, name);
}

INPUT KeyInput(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    const bool extended = key == VK_UP || key == VK_DOWN;
    input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
    return input;
}

// Absolute mouse coordinates run from 0 to 65535 across the primary screen;
// aiming at the middle of the pixel survives either rounding of the mapping.
LONG Normalized(LONG pixel, int screenSize) {
    return static_cast<LONG>(((2LL * pixel + 1) * 65536) / (2LL * screenSize));
}

bool SendAll(std::vector<INPUT> inputs) {
    UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    return sent == inputs.size();
}

LRESULT HitTest(HWND window, int x, int y) {
    DWORD_PTR result = HTNOWHERE;
    SendMessageTimeoutW(window, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 2000, &result);
    return static_cast<LRESULT>(result);
}

bool CursorAt(POINT point) {
    POINT cursor{};
    return GetCursorPos(&cursor) && cursor.x == point.x && cursor.y == point.y;
}

INPUT MouseAt(DWORD flags, POINT point) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = Normalized(point.x, GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy = Normalized(point.y, GetSystemMetrics(SM_CYSCREEN));
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return input;
}

// Under Wine the cursor can snap back to where it was: a window that appeared
// under the pointer gets an X pointer event for the old place, and when its
// thread takes that event in late, the cursor goes back there. So the window
// catches up first, and the move is repeated until the cursor stays put.
bool MoveTo(HWND window, POINT point) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (!SendAll({MouseAt(0, point)})) {
            return false;
        }
        Sleep(20);
        RoundTrip(window, 2);
        int steady = 0;
        for (int sample = 0; sample < 10 && steady < 5; ++sample) {
            Sleep(10);
            steady = CursorAt(point) ? steady + 1 : 0;
        }
        if (steady >= 5) {
            return true;
        }
    }
    return false;
}

} // namespace

std::optional<KeyChord> ParseKeyChord(std::wstring_view keys) {
    KeyChord chord;
    while (true) {
        size_t plus = keys.find(L'+');
        if (plus == std::wstring_view::npos || plus + 1 == keys.size()) {
            break;
        }
        const std::optional<WORD> modifier = Lookup(kModifiers, keys.substr(0, plus));
        if (!modifier) {
            return std::nullopt;
        }
        chord.modifiers.push_back(*modifier);
        keys.remove_prefix(plus + 1);
    }
    std::optional<WORD> key = KeyByName(keys);
    if (!key) {
        return std::nullopt;
    }
    chord.key = *key;
    return chord;
}

bool SendKeyChord(const KeyChord& chord) {
    std::vector<INPUT> inputs;
    for (WORD modifier : chord.modifiers) {
        inputs.push_back(KeyInput(modifier, false));
    }
    inputs.push_back(KeyInput(chord.key, false));
    inputs.push_back(KeyInput(chord.key, true));
    for (auto it = chord.modifiers.rbegin(); it != chord.modifiers.rend(); ++it) {
        inputs.push_back(KeyInput(*it, true));
    }
    return SendAll(inputs);
}

bool TypeText(std::wstring_view text) {
    std::vector<INPUT> inputs;
    for (wchar_t unit : text) {
        for (DWORD up : {DWORD{0}, DWORD{KEYEVENTF_KEYUP}}) {
            INPUT input{};
            input.type = INPUT_KEYBOARD;
            input.ki.wScan = unit;
            input.ki.dwFlags = KEYEVENTF_UNICODE | up;
            inputs.push_back(input);
        }
    }
    return SendAll(inputs);
}

bool PressAndRelease(HWND window, POINT from, POINT to) {
    RoundTrip(window, 2);
    if (!MoveTo(window, from) || !SendAll({MouseAt(MOUSEEVENTF_LEFTDOWN, from)})) {
        return false;
    }
    // Each part comes a moment after the last, as a hand makes them, and is
    // taken in before the next.
    Sleep(50);
    if (to.x != from.x || to.y != from.y) {
        RoundTrip(window, 2);
        if (!SendAll({MouseAt(0, to)})) {
            return false;
        }
        Sleep(50);
        RoundTrip(window, 2);
    }
    return SendAll({MouseAt(MOUSEEVENTF_LEFTUP, to)});
}

bool EnsureForeground(HWND window) {
    if (GetForegroundWindow() == window) {
        return true;
    }
    SetForegroundWindow(window);
    for (int tries = 0; tries < 50 && GetForegroundWindow() != window; ++tries) {
        Sleep(10);
    }
    return GetForegroundWindow() == window;
}

std::optional<POINT> CloseBoxPoint(HWND window) {
    TITLEBARINFO titleBar{};
    titleBar.cbSize = sizeof titleBar;
    RECT bar{};
    if (GetTitleBarInfo(window, &titleBar) &&
        titleBar.rcTitleBar.bottom > titleBar.rcTitleBar.top) {
        bar = titleBar.rcTitleBar;
    } else {
        GetWindowRect(window, &bar);
        bar.bottom = bar.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION);
    }
    int y = (bar.top + bar.bottom) / 2;
    int runEnd = -1;
    for (int x = bar.right - 1; x >= bar.left; --x) {
        bool onClose = HitTest(window, x, y) == HTCLOSE;
        if (onClose && runEnd < 0) {
            runEnd = x;
        } else if (!onClose && runEnd >= 0) {
            return POINT{(x + 1 + runEnd) / 2, y};
        }
    }
    return std::nullopt;
}
