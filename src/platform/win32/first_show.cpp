#include "platform/win32/first_show.h"

static_assert(show_command::kHide == SW_HIDE && show_command::kShowNormal == SW_SHOWNORMAL &&
              show_command::kShowMinimized == SW_SHOWMINIMIZED &&
              show_command::kShowMaximized == SW_SHOWMAXIMIZED &&
              show_command::kShowNoActivate == SW_SHOWNOACTIVATE &&
              show_command::kShow == SW_SHOW && show_command::kMinimize == SW_MINIMIZE &&
              show_command::kShowMinNoActive == SW_SHOWMINNOACTIVE &&
              show_command::kShowNa == SW_SHOWNA && show_command::kRestore == SW_RESTORE &&
              show_command::kShowDefault == SW_SHOWDEFAULT &&
              show_command::kForceMinimize == SW_FORCEMINIMIZE);

namespace {

constexpr UINT kMessageBoxCheckMs = 50;
// The message box's text carries this control id.
constexpr int kMessageBoxTextId = 0xFFFF;

ShowState CurrentShowState(HWND window) {
    if (!IsWindowVisible(window)) {
        return ShowState::Hidden;
    }
    if (IsIconic(window)) {
        return ShowState::Minimized;
    }
    return IsZoomed(window) ? ShowState::Maximized : ShowState::Normal;
}

// Shows the window again while it stands as the program does not accept.
// The first ShowWindow of the process may be replaced by the launcher's
// command, so a second one can be needed.
bool Correct(HWND window, ShowState wanted) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (IsAcceptableShowState(wanted, CurrentShowState(window))) {
            return true;
        }
        ShowWindow(window, CorrectingShowCommand(wanted));
    }
    return IsAcceptableShowState(wanted, CurrentShowState(window));
}

BOOL CALLBACK FindMessageBox(HWND window, LPARAM found) {
    wchar_t className[8] = {};
    GetClassNameW(window, className, 8);
    if (lstrcmpW(className, L"#32770") == 0 && GetDlgItem(window, kMessageBoxTextId) != nullptr) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// Runs in the message box's modal loop until the box stands acceptably. It
// may come before the box's own first show, and then makes that show itself.
void CALLBACK CorrectMessageBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindMessageBox, reinterpret_cast<LPARAM>(&box));
    if (box != nullptr && Correct(box, WantedFirstShowState())) {
        KillTimer(nullptr, timer);
    }
}

} // namespace

ShowState WantedFirstShowState() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    return InitialShowState((startup.dwFlags & STARTF_USESHOWWINDOW) != 0
                                ? std::optional<int>(startup.wShowWindow)
                                : std::nullopt);
}

ShowState ShowFirstTime(HWND window) {
    const ShowState wanted = WantedFirstShowState();
    ShowWindow(window, CorrectingShowCommand(wanted));
    Correct(window, wanted);
    return wanted;
}

UINT_PTR CorrectFirstShowOfMessageBox() {
    return SetTimer(nullptr, 0, kMessageBoxCheckMs, CorrectMessageBox);
}
