#include "platform/win32/dialog_window.h"

#include "dialog/control_ids.h"
#include "platform/win32/dpi.h"
#include "platform/win32/first_show.h"
#include "platform/win32/process.h"
#include "platform/win32/system_functions.h"
#include "resource_ids.h"
#include "startup/exit_codes.h"

#include <commctrl.h>
#include <windowsx.h>

#include <tuple>
#include <utility>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
#ifndef WM_GETDPISCALEDSIZE
#define WM_GETDPISCALEDSIZE 0x02E4
#endif

namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr UINT_PTR kSubclassId = 1;

// Fixed single border with a system menu, but no minimize or maximize box.
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kWindowExStyle = 0;

// The default dialog font, whose single line fits the 195-twip controls.
constexpr wchar_t kFontFace[] = L"MS Shell Dlg 2";
constexpr int kFontPoints = 8;
constexpr int kPointsPerInch = 72;

std::int64_t MonotonicMs() {
    // Unbiased interrupt time stands still while the computer sleeps, so that
    // after a sleep the countdown goes on from where it was.
    ULONGLONG hundredNs = 0;
    QueryUnbiasedInterruptTime(&hundredNs);
    return static_cast<std::int64_t>(hundredNs / 10000);
}

// The window class and style of each kind of control.
struct Win32Control {
    const wchar_t* className;
    DWORD style;
};

Win32Control Translate(ControlKind kind) {
    switch (kind) {
    case ControlKind::Label:
        return {L"STATIC", SS_CENTER | SS_NOTIFY};
    case ControlKind::RightLabel:
        return {L"STATIC", SS_RIGHT | SS_NOTIFY};
    case ControlKind::Frame:
        return {L"BUTTON", BS_GROUPBOX};
    case ControlKind::OptionRow:
        return {L"BUTTON", BS_AUTORADIOBUTTON};
    case ControlKind::DefaultButton:
        return {L"BUTTON", BS_DEFPUSHBUTTON};
    case ControlKind::Button:
        return {L"BUTTON", BS_PUSHBUTTON};
    }
    return {L"STATIC", 0};
}

DWORD StyleOf(const DialogControl& control) {
    return WS_CHILD | Translate(control.kind).style | (control.visible ? WS_VISIBLE : 0) |
           (control.enabled ? 0 : WS_DISABLED) | (control.tabStop ? WS_TABSTOP : 0) |
           (control.startsGroup ? WS_GROUP : 0);
}

HFONT CreateDialogFont(int dpi) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(kFontPoints, dpi, kPointsPerInch);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(font.lfFaceName, kFontFace, LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

void SetIcons(HWND window) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const auto& [which, width, height] : {std::tuple{ICON_BIG, SM_CXICON, SM_CYICON},
                                               std::tuple{ICON_SMALL, SM_CXSMICON, SM_CYSMICON}}) {
        const HANDLE icon =
            LoadImageW(instance, MAKEINTRESOURCEW(IDI_TOLVANE), IMAGE_ICON, GetSystemMetrics(width),
                       GetSystemMetrics(height), LR_DEFAULTCOLOR);
        SendMessageW(window, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
    }
}

// Turns off the dialog manager's own rescaling at a change of DPI (Windows
// 10, 1703 and later): the dialog lays itself out from its twips.
void KeepOwnDpiLayout(HWND window) {
    constexpr int kDisableAll = 1; // DDC_DISABLE_ALL
    if (User32().setDialogDpiChangeBehavior != nullptr) {
        User32().setDialogDpiChangeBehavior(window, kDisableAll, kDisableAll);
    }
}

} // namespace

DialogWindow* DialogWindow::Load(const DialogSetup& setup) {
    // The one dialog of the run; it lives until the process ends.
    static DialogWindow instance;
    if (!instance.Create(setup)) {
        return nullptr;
    }
    if (setup.preselectedRow) {
        SendMessageW(instance.Control(kIdFirstOption + *setup.preselectedRow), BM_SETCHECK,
                     BST_CHECKED, 0);
    }
    instance.focus_ = instance.Control(FirstFocusId(setup));
    if (!instance.Apply(
            Form_Load(instance.state_, setup.NumOptions(), setup.SecondsLeft, MonotonicMs()))) {
        return nullptr;
    }
    instance.SizeAndCentre(DpiOfWindow(instance.window_));
    return &instance;
}

bool DialogWindow::Create(const DialogSetup& setup) {
    // A dialog box of the system's dialog class, so that screen readers and
    // the dialog manager know it as one. The template holds no controls and
    // no size: both come from the control table and the twips.
#pragma pack(push, 2)
    struct EmptyDialogTemplate {
        DLGTEMPLATE header;
        WORD menu;
        WORD windowClass;
        WORD title;
    };
#pragma pack(pop)
    alignas(DWORD) const EmptyDialogTemplate dialogTemplate{
        {kWindowStyle, kWindowExStyle, 0, 0, 0, 0, 0}, 0, 0, 0};
    // Created at the origin of the primary screen, so that the window has
    // that screen's DPI when the layout is worked out.
    window_ = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &dialogTemplate.header, nullptr,
                                         DialogProc, reinterpret_cast<LPARAM>(this));
    if (window_ == nullptr) {
        return false;
    }
    SetWindowTextW(window_, setup.caption.c_str());
    SetIcons(window_);
    KeepOwnDpiLayout(window_);
    controls_ = ControlTable(setup);
    if (!PlaceControls(DpiOfWindow(window_))) {
        return false;
    }
    // Access-key underlines follow the keyboard cues, as in a dialog box.
    SendMessageW(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, 0), 0);
    return true;
}

bool DialogWindow::PlaceControls(int dpi) {
    // The old font is deleted only once no control uses it any more.
    UniqueFont font(CreateDialogFont(dpi));
    for (const DialogControl& entry : controls_) {
        const PixelRect r = TwipsToPixels(entry.rect, dpi);
        if (const HWND control = Control(entry.id)) {
            SetWindowPos(control, nullptr, r.left, r.top, r.width, r.height,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        } else if (!CreateControl(entry, r)) {
            return false;
        }
        SendMessageW(Control(entry.id), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
    }
    font_ = std::move(font);
    InvalidateRect(window_, nullptr, TRUE);
    return true;
}

bool DialogWindow::CreateControl(const DialogControl& entry, const PixelRect& r) {
    // Each control is created once, in its place and in tab order, which is
    // the order of the table.
    const HWND control = CreateWindowExW(0, Translate(entry.kind).className, entry.text.c_str(),
                                         StyleOf(entry), r.left, r.top, r.width, r.height, window_,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id)),
                                         GetModuleHandleW(nullptr), nullptr);
    if (control == nullptr) {
        return false;
    }
    // Subclassed: the frame for its clicks, the shown rows for their loss
    // of focus, and these and the countdown label for what screen readers
    // get of them. The rows that are never shown need neither.
    SUBCLASSPROC proc = nullptr;
    if (entry.id == kIdFrame) {
        proc = FrameProc;
    } else if (entry.id == kIdTempo) {
        proc = TempoProc;
    } else if (entry.kind == ControlKind::OptionRow && entry.visible) {
        proc = RowProc;
    }
    return proc == nullptr ||
           SetWindowSubclass(control, proc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void DialogWindow::SizeAndCentre(int dpi) {
    // Worked out in twips on the primary screen's full size and converted to
    // pixels once, so that the window sits where the layout puts it.
    const SIZE outer = OuterSizeAt(dpi);
    const TwipsPoint corner =
        CentreOnScreen(PixelsToTwips(GetSystemMetrics(SM_CXSCREEN), dpi),
                       PixelsToTwips(GetSystemMetrics(SM_CYSCREEN), dpi),
                       PixelsToTwips(outer.cx, dpi), PixelsToTwips(outer.cy, dpi));
    SetWindowPos(window_, nullptr, TwipsToPixels(corner.left, dpi), TwipsToPixels(corner.top, dpi),
                 outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE DialogWindow::OuterSizeAt(int dpi) const {
    const DialogGeometry g = LayoutFor(state_.NumOptions);
    const RECT client{0, 0, TwipsToPixels(g.clientWidth, dpi), TwipsToPixels(g.clientHeight, dpi)};
    const RECT outer = OuterRectForClient(client, kWindowStyle, kWindowExStyle, dpi);
    return {outer.right - outer.left, outer.bottom - outer.top};
}

void DialogWindow::Show() {
    screenReader_.Showing();
    // Started from a batch file, the dialog must come up in front so that
    // the user can answer at once, unless the caller asked for it minimized.
    if (ShowFirstTime(window_) == ShowState::Normal) {
        SetForegroundWindow(window_);
    }
    UpdateWindow(window_);
    screenReader_.Shown();
}

bool DialogWindow::PreTranslateMessage(MSG& msg) {
    if (!IsOwnWindow(msg.hwnd)) {
        return false;
    }
    // Keyboard preview: every key that reaches the dialog is seen here,
    // whichever control has the focus, before the dialog manager or the
    // control sees it.
    std::optional<KeyMessage> key;
    switch (msg.message) {
    case WM_KEYDOWN:
        key = KeyMessage::KeyDown;
        break;
    case WM_SYSKEYDOWN:
        key = KeyMessage::SysKeyDown;
        break;
    case WM_CHAR:
        key = KeyMessage::Char;
        break;
    case WM_SYSCHAR:
        key = KeyMessage::SysChar;
        break;
    default:
        break;
    }
    if (key) {
        const bool isChar = *key == KeyMessage::Char || *key == KeyMessage::SysChar;
        Notify({isChar ? Input::KeyPress : Input::KeyDown});
        if (!ForDialogManager(*key, static_cast<wchar_t>(msg.wParam))) {
            DispatchMessageW(&msg);
            return true;
        }
    }
    return IsDialogMessageW(window_, &msg) != FALSE;
}

bool DialogWindow::IsOverShownRow(POINT screenPoint) const {
    for (int i = 0; i < state_.NumOptions; ++i) {
        RECT row{};
        if (GetWindowRect(Control(kIdFirstOption + i), &row) && PtInRect(&row, screenPoint)) {
            return true;
        }
    }
    return false;
}

bool DialogWindow::IsOwnWindow(HWND window) const {
    return window != nullptr && (window == window_ || IsChild(window_, window));
}

bool DialogWindow::Apply(const DialogResponse& response) {
    if (response.exitCode) {
        EndProcess(*response.exitCode);
    }
    if (response.countdownChanged && !ShowCountdown()) {
        return false;
    }
    if (response.announce) {
        screenReader_.AnnounceCountdown();
    }
    return true;
}

void DialogWindow::Respond(const DialogResponse& response) {
    // A countdown whose next tick cannot be set would never end the run,
    // and nobody may be there to answer: the script is told that something
    // went wrong instead.
    if (!Apply(response)) {
        EndProcess(exit_code::kFailed);
    }
}

void DialogWindow::Notify(const InputEvent& event) {
    if (StopsCountdown(event)) {
        Respond(StopCountdownEvent(state_));
    }
}

bool DialogWindow::ShowCountdown() {
    const HWND lblTempo = Control(kIdTempo);
    if (!IsTimerEnabled(state_.countdown)) {
        KillTimer(window_, kTimerId);
        ShowWindow(lblTempo, SW_HIDE);
        return true;
    }
    const std::wstring text = CountdownText(state_.countdown.SecondsLeft);
    if (text != tempoText_) {
        tempoText_ = text;
        SetWindowTextW(lblTempo, text.c_str());
    }
    ShowWindow(lblTempo, SW_SHOWNA);
    // A one-shot timer aimed at the next tick's deadline: Windows delivers
    // every WM_TIMER a little late, and a periodic timer would add that up.
    const std::int64_t delay = MsUntilNextTick(state_.countdown, MonotonicMs());
    return SetTimer(window_, kTimerId, static_cast<UINT>(delay), nullptr) != 0;
}

const std::wstring& DialogWindow::TextOf(int id) const {
    for (const DialogControl& entry : controls_) {
        if (entry.id == id) {
            return entry.text;
        }
    }
    static const std::wstring none;
    return none;
}

std::optional<int> DialogWindow::SelectedRow() const {
    for (int i = 0; i < state_.NumOptions; ++i) {
        if (SendMessageW(Control(kIdFirstOption + i), BM_GETCHECK, 0, 0) == BST_CHECKED) {
            return i;
        }
    }
    return std::nullopt;
}

void DialogWindow::SaveFocus() {
    const HWND focus = GetFocus();
    if (focus != nullptr && IsChild(window_, focus)) {
        focus_ = focus;
    }
}

void DialogWindow::RestoreFocus() {
    // A minimized window takes no focus of its own. WM_NEXTDLGCTL rather
    // than SetFocus, so that the dialog manager moves the default-button
    // border along and knows where the focus is.
    if (focus_ != nullptr && !IsIconic(window_) && IsWindowVisible(focus_) &&
        IsWindowEnabled(focus_)) {
        SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus_), TRUE);
    }
}

void DialogWindow::OnCommand(int id, int code) {
    const int row = RowOfControl(id);
    if (id == kIdOk && code == BN_CLICKED) {
        Respond(cmdOk_Click(state_, SelectedRow()));
    } else if (id == kIdAnnulla && code == BN_CLICKED) {
        Respond(cmdAnnulla_Click());
    } else if (row >= 0 && code == BN_CLICKED) {
        Notify({Input::RowClicked, SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED});
    } else if ((id == kIdTesto || id == kIdTempo) && (code == STN_CLICKED || code == STN_DBLCLK)) {
        Notify({Input::ClickOnLabel});
    }
}

void DialogWindow::OnDpiChanged(int dpi, const RECT& suggested) {
    PlaceControls(dpi);
    // Where Windows suggests, at the size of the layout, which is what
    // WM_GETDPISCALEDSIZE answered.
    const SIZE outer = OuterSizeAt(dpi);
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, outer.cx, outer.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

bool DialogWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return true;
    case WM_TIMER:
        if (wParam == kTimerId) {
            Respond(tmrTimer_Timer(state_, SelectedRow(), MonotonicMs()));
        }
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        Notify({Input::ClickOnBackground});
        return true;
    case WM_ACTIVATE:
        // The focus returns to the control that had it; the dialog manager's
        // own choice could be a row that is not selected, which Windows would
        // select.
        if (LOWORD(wParam) == WA_INACTIVE) {
            SaveFocus();
        } else {
            RestoreFocus();
        }
        return true;
    case WM_SETFOCUS:
        RestoreFocus();
        return true;
    case DM_GETDEFID:
        result = MAKELRESULT(kIdOk, DC_HASDEFID);
        return true;
    case WM_CLOSE:
        Respond(Form_Unload());
        return true;
    case WM_QUERYENDSESSION:
        result = TRUE;
        return true;
    case WM_ENDSESSION:
        if (wParam != FALSE) {
            Respond(Form_Unload());
        }
        return true;
    case WM_GETDPISCALEDSIZE:
        // The size at the new DPI comes from the layout, not from scaling
        // the old size, so that rounding never accumulates.
        *reinterpret_cast<SIZE*>(lParam) = OuterSizeAt(static_cast<int>(wParam));
        result = TRUE;
        return true;
    case WM_DPICHANGED:
        OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return true;
    case WM_GETOBJECT:
        result = screenReader_.AnswerGetObject(window_, wParam, lParam);
        return result != 0;
    default:
        return false;
    }
}

INT_PTR CALLBACK DialogWindow::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<DialogWindow*>(lParam);
        self->window_ = window;
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        return FALSE; // the focus is set when the dialog is activated
    }
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(window, DWLP_USER));
    LRESULT result = 0;
    if (self == nullptr || !self->HandleMessage(message, wParam, lParam, result)) {
        return FALSE;
    }
    SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}

LRESULT DialogWindow::ControlDefault(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETOBJECT) {
        if (const LRESULT object = screenReader_.AnswerGetObject(window, wParam, lParam)) {
            return object;
        }
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK DialogWindow::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR self) {
    auto* dialog = reinterpret_cast<DialogWindow*>(self);
    switch (message) {
    case WM_NCHITTEST: {
        // A group box lets every click through to what lies below it. The
        // frame takes its own clicks, outside the rows, which lie below it in
        // the z-order: it stands before them in the tab order, where screen
        // readers look for the box around a radio button.
        const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        return dialog->IsOverShownRow(point) ? HTTRANSPARENT : HTCLIENT;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        dialog->Notify({Input::ClickOnFrame});
        return 0;
    default:
        return dialog->ControlDefault(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK DialogWindow::TempoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR self) {
    return reinterpret_cast<DialogWindow*>(self)->ControlDefault(window, message, wParam, lParam);
}

LRESULT CALLBACK DialogWindow::RowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR self) {
    auto* dialog = reinterpret_cast<DialogWindow*>(self);
    if (message == WM_KILLFOCUS) {
        dialog->Notify(
            {Input::RowLostFocus, false, dialog->IsOwnWindow(reinterpret_cast<HWND>(wParam))});
    }
    return dialog->ControlDefault(window, message, wParam, lParam);
}
