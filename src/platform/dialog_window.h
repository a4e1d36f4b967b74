#pragma once

#include "dialog/dialog_events.h"
#include "dialog/dialog_input.h"
#include "dialog/dialog_layout.h"
#include "dialog/dialog_setup.h"
#include "platform/win32_handles.h"

#include <windows.h>

#include <array>
#include <optional>
#include <string>

// The Win32 window of the choice dialog: it builds the controls from the
// run's set-up and the layout in twips, and turns window messages into
// calls on the dialog's event handlers and their responses into changes of
// the window.
class DialogWindow {
  public:
    // Creates the single instance hidden and runs its set-up from the
    // switches. Returns nullptr when Windows cannot create the window.
    static DialogWindow* Load(const SwitchTable& switches);
    // The loaded instance, or nullptr before Load.
    static DialogWindow* Loaded();

    int NumOptions() const { return state_.NumOptions; }
    void Show();

    // Gives a message of the event loop to the dialog before it is
    // dispatched: the keyboard preview, then the dialog manager's keys (Tab,
    // arrows, Enter, Esc, access keys). True when the message is handled.
    bool PreTranslateMessage(MSG& msg);

  private:
    DialogWindow() = default;

    bool Create(const DialogSetup& setup);
    void CreateControls(const DialogSetup& setup, UINT dpi);
    void SetUp(const DialogSetup& setup);
    void SizeAndCentre(UINT dpi);
    // Lays every control out anew with a font for `dpi`; the window keeps
    // its size.
    void ApplyLayout(UINT dpi);
    SIZE OuterSizeAt(UINT dpi) const;
    void Apply(const DialogResponse& response);
    // Stops the countdown when the event is one that stops it.
    void Notify(const InputEvent& event);
    void ShowCountdown();
    std::optional<int> SelectedRow() const;
    void SaveFocus();
    void RestoreFocus();
    bool IsOwnWindow(HWND window) const;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCommand(int id, int code);
    void OnDpiChanged(UINT dpi, const RECT& suggested);

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
    static LRESULT CALLBACK RowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR id, DWORD_PTR self);

    HWND window_ = nullptr;
    HWND lblTesto_ = nullptr;
    HWND frame_ = nullptr; // the frame, named frmScelta like the dialog
    std::array<HWND, kMaxOptions> optScelta_{};
    HWND cmdOk_ = nullptr;
    HWND cmdAnnulla_ = nullptr;
    HWND lblTempo_ = nullptr;
    HWND focus_ = nullptr; // the control that gets the focus when the window is activated
    UniqueFont font_;
    std::wstring tempoText_;
    DialogState state_;
};
