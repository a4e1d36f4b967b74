#pragma once

#include "dialog/dialog_controls.h"
#include "dialog/dialog_events.h"
#include "dialog/dialog_input.h"
#include "platform/win32/dialog_screen_reader.h"
#include "platform/win32/win32_handles.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// The Win32 window of the choice dialog frmScelta. It creates the controls
// that the control table lists, turns window messages into calls on the
// dialog's event handlers, and their responses into changes of the window.
// What screen readers get beyond the controls is DialogScreenReader's.
class DialogWindow : private SpokenDialog {
  public:
    // Creates the single instance hidden, set up as `setup` says: the set-up
    // is worked out before the window exists, so that every control is
    // created once, with its final text and state. Returns nullptr when
    // Windows cannot make the window, any of its controls or the countdown's
    // timer: a dialog with a row or a timer missing could never end.
    static DialogWindow* Load(const DialogSetup& setup);

    int NumOptions() const { return state_.NumOptions; }
    void Show();

    // Gives a message of the event loop to the dialog before it is
    // dispatched: the keyboard preview, then the dialog manager's keys (Tab,
    // arrows, Enter, Esc, access keys). True when the message is handled.
    bool PreTranslateMessage(MSG& msg);

  private:
    DialogWindow() = default;

    bool Create(const DialogSetup& setup);
    // Places every control for `dpi`, with a font for it, creating it the
    // first time; the one routine for the first layout and for every
    // change of DPI. False when a control could not be made.
    bool PlaceControls(int dpi);
    bool CreateControl(const DialogControl& entry, const PixelRect& rect);
    void SizeAndCentre(int dpi);
    SIZE OuterSizeAt(int dpi) const;
    HWND Control(int id) const { return GetDlgItem(window_, id); }
    bool IsOwnWindow(HWND window) const;
    bool IsOverShownRow(POINT screenPoint) const;

    // SpokenDialog
    HWND Window() const override { return window_; }
    const DialogState& State() const override { return state_; }
    const std::wstring& TextOf(int id) const override;
    std::optional<int> SelectedRow() const override;

    // False when the countdown's timer could not be set.
    [[nodiscard]] bool Apply(const DialogResponse& response);
    // Apply() for an event of the shown dialog.
    void Respond(const DialogResponse& response);
    // Stops the countdown when the event is one that stops it.
    void Notify(const InputEvent& event);
    [[nodiscard]] bool ShowCountdown();

    void SaveFocus();
    void RestoreFocus();

    // False for a message that the dialog manager handles as it would.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void OnCommand(int id, int code);
    void OnDpiChanged(int dpi, const RECT& suggested);

    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
    static LRESULT CALLBACK RowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR id, DWORD_PTR self);
    static LRESULT CALLBACK TempoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
    // What the subclassed controls do with the messages they do not handle.
    LRESULT ControlDefault(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    std::vector<DialogControl> controls_;
    HWND focus_ = nullptr; // the control that gets the focus when the window is activated
    UniqueFont font_;
    std::wstring tempoText_;
    DialogState state_;
    DialogScreenReader screenReader_{*this};
};
