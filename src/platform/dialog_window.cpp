#include "platform/dialog_window.h"

#include "platform/control_ids.h"
#include "platform/dpi.h"
#include "platform/first_show.h"
#include "platform/process.h"
#include "resource_ids.h"
#include "startup/exit_codes.h"

#include <commctrl.h>

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

DialogWindow* loadedDialog = nullptr;

std::int64_t MonotonicMs() {
    // Unbiased interrupt time stands still while the computer sleeps, so that
    // after a sleep the countdown goes on from where it was.
    ULONGLONG hundredNs = 0;
    QueryUnbiasedInterruptTime(&hundredNs);
    return static_cast<std::int64_t>(hundredNs / 10000);
}

RECT PixelRect(const TwipsRect& rect, UINT dpi) {
    const int d = static_cast<int>(dpi);
    const int left = TwipsToPixels(rect.left, d);
    const int top = TwipsToPixels(rect.top, d);
    return {left, top, left + TwipsToPixels(rect.width, d), top + TwipsToPixels(rect.height, d)};
}

// Creates a control in its place and with the dialog's font, so that nothing
// needs to be laid out twice.
HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id,
                 const TwipsRect& rect, UINT dpi, HFONT font) {
    const RECT r = PixelRect(rect, dpi);
    const HWND control =
        CreateWindowExW(0, className, text, WS_CHILD | style, r.left, r.top, r.right - r.left,
                        r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                        GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

HFONT CreateDialogFont(UINT dpi) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(kFontPoints, static_cast<int>(dpi), kPointsPerInch);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(font.lfFaceName, kFontFace, LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

void Place(HWND control, const TwipsRect& rect, UINT dpi) {
    const RECT r = PixelRect(rect, dpi);
    SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

bool RegisterDialogClass(WNDPROC windowProc) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_TOLVANE), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                   GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    windowClass.hIconSm = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(IDI_TOLVANE), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kDialogClassName;
    return RegisterClassExW(&windowClass) != 0;
}

} // namespace

DialogWindow* DialogWindow::Load(const SwitchTable& switches) {
    // The one dialog of the run; it lives until the process ends.
    static DialogWindow instance;
    // The set-up is worked out before the window exists, so that every
    // control is created once, in its final place and with its final text.
    const DialogSetup setup = SetUpFromSwitches(switches);
    if (!instance.Create(setup)) {
        return nullptr;
    }
    loadedDialog = &instance;
    instance.SetUp(setup);
    return loadedDialog;
}

DialogWindow* DialogWindow::Loaded() {
    return loadedDialog;
}

bool DialogWindow::Create(const DialogSetup& setup) {
    if (!RegisterDialogClass(WindowProc)) {
        return false;
    }
    // Created at the origin of the primary screen, so that the window has
    // that screen's DPI when the layout is worked out.
    window_ = CreateWindowExW(kWindowExStyle, kDialogClassName, setup.caption.c_str(), kWindowStyle,
                              0, 0, 0, 0, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    if (window_ == nullptr) {
        return false;
    }
    const UINT dpi = DpiOfWindow(window_);
    font_ = UniqueFont(CreateDialogFont(dpi));
    CreateControls(setup, dpi);
    return true;
}

void DialogWindow::CreateControls(const DialogSetup& setup, UINT dpi) {
    // Created in tab order. The rows not shown stay hidden, disabled and
    // empty; the row group is one tab stop, on the selected row or the first.
    const int shown = setup.NumOptions();
    const int tabRow = setup.preselectedRow.value_or(0);
    const DialogGeometry g = LayoutFor(shown);
    const HFONT font = font_.get();
    lblTesto_ = CreateChild(window_, L"STATIC", setup.prompt.c_str(),
                            WS_VISIBLE | SS_CENTER | SS_NOTIFY, kIdTesto, g.lblTesto, dpi, font);
    frame_ = CreateChild(window_, L"BUTTON", L"", WS_VISIBLE | WS_GROUP | BS_GROUPBOX, kIdFrame,
                         g.frmScelta, dpi, font);
    for (int i = 0; i < kMaxOptions; ++i) {
        const bool isShown = i < shown;
        DWORD style = BS_AUTORADIOBUTTON | (isShown ? WS_VISIBLE : WS_DISABLED);
        style |= i == 0 ? WS_GROUP : 0;
        style |= isShown && i == tabRow ? WS_TABSTOP : 0;
        const wchar_t* text = isShown ? setup.options[i].c_str() : L"";
        optScelta_[i] = CreateChild(window_, L"BUTTON", text, style, kIdFirstOption + i,
                                    g.optScelta[i], dpi, font);
        SetWindowSubclass(optScelta_[i], RowProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    }
    cmdOk_ = CreateChild(window_, L"BUTTON", kOkCaption,
                         WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, kIdOk, g.cmdOk, dpi,
                         font);
    cmdAnnulla_ =
        CreateChild(window_, L"BUTTON", kAnnullaCaption, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                    kIdAnnulla, g.cmdAnnulla, dpi, font);
    lblTempo_ = CreateChild(window_, L"STATIC", kTempoCaptionAtCreation,
                            WS_GROUP | SS_RIGHT | SS_NOTIFY, kIdTempo, g.lblTempo, dpi, font);

    // A group box lets clicks through to whatever lies below it. This frame
    // takes its own clicks instead, so it must lie below the rows it
    // surrounds or it would swallow theirs; it never takes the focus, so its
    // place in the z-order does not change the tab order.
    SetWindowSubclass(frame_, FrameProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    SetWindowPos(frame_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowLongPtrW(frame_, GWL_STYLE, GetWindowLongPtrW(frame_, GWL_STYLE) | WS_CLIPSIBLINGS);

    // Access-key underlines follow the keyboard cues, as in a dialog box.
    SendMessageW(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, 0), 0);
}

void DialogWindow::SetUp(const DialogSetup& setup) {
    focus_ = cmdOk_;
    if (setup.preselectedRow) {
        const HWND row = optScelta_[*setup.preselectedRow];
        SendMessageW(row, BM_SETCHECK, BST_CHECKED, 0);
        // The focus starts on the selected row: on Windows an unchecked auto
        // radio button that receives the focus checks itself and notifies a
        // click, which would pick a row and stop the countdown.
        focus_ = row;
    }

    Apply(Form_Load(state_, setup.NumOptions(), setup.SecondsLeft, MonotonicMs()));
    SizeAndCentre(DpiOfWindow(window_));
}

void DialogWindow::SizeAndCentre(UINT dpi) {
    // Worked out in twips on the primary screen's full size and converted to
    // pixels once, so that the window sits where the layout puts it.
    const int d = static_cast<int>(dpi);
    const SIZE outer = OuterSizeAt(dpi);
    const TwipsPoint corner =
        CentreOnScreen(PixelsToTwips(GetSystemMetrics(SM_CXSCREEN), d),
                       PixelsToTwips(GetSystemMetrics(SM_CYSCREEN), d), PixelsToTwips(outer.cx, d),
                       PixelsToTwips(outer.cy, d));
    SetWindowPos(window_, nullptr, TwipsToPixels(corner.left, d), TwipsToPixels(corner.top, d),
                 outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE DialogWindow::OuterSizeAt(UINT dpi) const {
    const DialogGeometry g = LayoutFor(state_.NumOptions);
    const int d = static_cast<int>(dpi);
    const RECT client{0, 0, TwipsToPixels(g.clientWidth, d), TwipsToPixels(g.clientHeight, d)};
    const RECT outer = OuterRectForClient(client, kWindowStyle, kWindowExStyle, dpi);
    return {outer.right - outer.left, outer.bottom - outer.top};
}

void DialogWindow::ApplyLayout(UINT dpi) {
    // The old font is deleted only once no control uses it any more.
    UniqueFont font(CreateDialogFont(dpi));
    const DialogGeometry g = LayoutFor(state_.NumOptions);
    const auto place = [&](HWND control, const TwipsRect& rect) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
        Place(control, rect, dpi);
    };
    place(lblTesto_, g.lblTesto);
    place(frame_, g.frmScelta);
    for (int i = 0; i < kMaxOptions; ++i) {
        place(optScelta_[i], g.optScelta[i]);
    }
    place(cmdOk_, g.cmdOk);
    place(cmdAnnulla_, g.cmdAnnulla);
    place(lblTempo_, g.lblTempo);
    font_ = std::move(font);
    InvalidateRect(window_, nullptr, TRUE);
}

void DialogWindow::Show() {
    // Started from a batch file, the dialog must come up in front so that
    // the user can answer at once, unless the caller asked for it minimized.
    if (ShowFirstTime(window_) == ShowState::Normal) {
        SetForegroundWindow(window_);
    }
    UpdateWindow(window_);
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

void DialogWindow::Notify(const InputEvent& event) {
    if (StopsCountdown(event)) {
        Apply(StopCountdownEvent(state_));
    }
}

bool DialogWindow::IsOwnWindow(HWND window) const {
    return window != nullptr && (window == window_ || IsChild(window_, window));
}

void DialogWindow::Apply(const DialogResponse& response) {
    if (response.exitCode) {
        EndProcess(*response.exitCode);
    }
    if (response.countdownChanged) {
        ShowCountdown();
    }
}

void DialogWindow::ShowCountdown() {
    if (!IsTimerEnabled(state_.countdown)) {
        KillTimer(window_, kTimerId);
        ShowWindow(lblTempo_, SW_HIDE);
        return;
    }
    const std::wstring text = CountdownText(state_.countdown.SecondsLeft);
    if (text != tempoText_) {
        tempoText_ = text;
        SetWindowTextW(lblTempo_, text.c_str());
    }
    ShowWindow(lblTempo_, SW_SHOWNA);
    // A one-shot timer aimed at the next tick's deadline: Windows delivers
    // every WM_TIMER a little late, and a periodic timer would add that up.
    const std::int64_t delay = MsUntilNextTick(state_.countdown, MonotonicMs());
    SetTimer(window_, kTimerId, static_cast<UINT>(delay), nullptr);
}

std::optional<int> DialogWindow::SelectedRow() const {
    for (int i = 0; i < state_.NumOptions; ++i) {
        if (SendMessageW(optScelta_[i], BM_GETCHECK, 0, 0) == BST_CHECKED) {
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
    if (focus_ != nullptr && IsWindowVisible(focus_) && IsWindowEnabled(focus_)) {
        SetFocus(focus_);
    }
}

void DialogWindow::OnCommand(int id, int code) {
    if (id == kIdOk && code == BN_CLICKED) {
        Apply(cmdOk_Click(state_, SelectedRow()));
    } else if (id == kIdAnnulla && code == BN_CLICKED) {
        Apply(cmdAnnulla_Click());
    } else if (id >= kIdFirstOption && id < kIdFirstOption + kMaxOptions && code == BN_CLICKED) {
        const HWND row = optScelta_[id - kIdFirstOption];
        Notify({Input::RowClicked, SendMessageW(row, BM_GETCHECK, 0, 0) == BST_CHECKED});
    } else if ((id == kIdTesto || id == kIdTempo) && (code == STN_CLICKED || code == STN_DBLCLK)) {
        Notify({Input::ClickOnLabel});
    }
}

void DialogWindow::OnDpiChanged(UINT dpi, const RECT& suggested) {
    ApplyLayout(dpi);
    // Where Windows suggests, at the size of the layout, which is what
    // WM_GETDPISCALEDSIZE answered.
    const SIZE outer = OuterSizeAt(dpi);
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, outer.cx, outer.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT DialogWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_TIMER:
        if (wParam == kTimerId) {
            Apply(tmrTimer_Timer(state_, SelectedRow(), MonotonicMs()));
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        Notify({Input::ClickOnBackground});
        return 0;
    case WM_ACTIVATE:
        // As a dialog box does: the focus returns to the control that had it.
        if (LOWORD(wParam) == WA_INACTIVE) {
            SaveFocus();
        } else {
            RestoreFocus();
        }
        return 0;
    case DM_GETDEFID:
        return MAKELRESULT(kIdOk, DC_HASDEFID);
    case WM_CLOSE:
        Apply(Form_Unload());
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam != FALSE) {
            Apply(Form_Unload());
        }
        return 0;
    case WM_GETDPISCALEDSIZE: {
        // The size at the new DPI comes from the layout, not from scaling
        // the old size, so that rounding never accumulates.
        *reinterpret_cast<SIZE*>(lParam) = OuterSizeAt(static_cast<UINT>(wParam));
        return TRUE;
    }
    case WM_DPICHANGED:
        OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    default:
        return DefWindowProcW(window_, message, wParam, lParam);
    }
}

LRESULT CALLBACK DialogWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        if (message != WM_NCCREATE) {
            return DefWindowProcW(window, message, wParam, lParam);
        }
        self = static_cast<DialogWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT CALLBACK DialogWindow::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR self) {
    auto* dialog = reinterpret_cast<DialogWindow*>(self);
    switch (message) {
    case WM_NCHITTEST:
        return HTCLIENT;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        dialog->Notify({Input::ClickOnFrame});
        return 0;
    default:
        return DefSubclassProc(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK DialogWindow::RowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR self) {
    auto* dialog = reinterpret_cast<DialogWindow*>(self);
    if (message == WM_KILLFOCUS) {
        dialog->Notify(
            {Input::RowLostFocus, false, dialog->IsOwnWindow(reinterpret_cast<HWND>(wParam))});
    }
    return DefSubclassProc(window, message, wParam, lParam);
}
