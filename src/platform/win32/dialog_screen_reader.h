#pragma once

#include "dialog/dialog_events.h"
#include "platform/win32/accessibility.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// What the screen-reader answers read of the dialog, as it is at the time
// they are asked.
class SpokenDialog {
  public:
    virtual HWND Window() const = 0;
    virtual const DialogState& State() const = 0;
    // The text that the control `id` was created with.
    virtual const std::wstring& TextOf(int id) const = 0;
    virtual std::optional<int> SelectedRow() const = 0;

  protected:
    ~SpokenDialog() = default;
};

// What screen readers get of the choice dialog beyond what its controls show
// by themselves: the MSAA answers of the dialog, the frame, the rows and the
// countdown, the UI Automation properties, and the countdown read out.
class DialogScreenReader {
  public:
    explicit DialogScreenReader(const SpokenDialog& dialog) : dialog_(dialog) {}

    // Answers WM_GETOBJECT that reached the dialog or one of its controls.
    // Returns 0 for a window that keeps the answers of Windows; the caller
    // then passes the message on.
    LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam);

    // The dialog is about to be shown for the first time, and has just been.
    void Showing();
    void Shown() const;
    // An event asked for the countdown to be read out.
    void AnnounceCountdown() const;

  private:
    void AnnotateOnce();
    std::optional<AccessibleOverrides> OverridesOf(int id) const;
    AccessibleOverrides DialogOverrides() const;
    AccessibleOverrides FrameOverrides() const;
    std::optional<AccessibleOverrides> RowOverrides(int row) const;
    AccessibleOverrides TempoOverrides() const;
    std::vector<UiaAnnotation> UiaAnnotations() const;

    const SpokenDialog& dialog_;
    bool annotated_ = false;
};
