#include "dialog/dialog_input.h"

bool StopsCountdown(const InputEvent& event) {
    switch (event.input) {
    case Input::KeyDown:
    case Input::KeyPress:
    case Input::ClickOnBackground:
    case Input::ClickOnFrame:
    case Input::ClickOnLabel:
        return true;
    case Input::RowClicked:
        return event.rowChecked;
    case Input::RowLostFocus:
        return event.focusStaysInDialog;
    case Input::OkClicked:
    case Input::AnnullaClicked:
        // Cancel ends the run anyway, and OK with no row selected must leave
        // the countdown running.
        return false;
    }
    return false;
}

bool ForDialogManager(KeyMessage message, wchar_t code) {
    constexpr wchar_t kFirstPrintable = L' ';
    constexpr wchar_t kDelete = 0x7F;
    const bool printable = code >= kFirstPrintable && code != kDelete;
    return message != KeyMessage::Char || !printable;
}
