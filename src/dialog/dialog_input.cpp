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
    }
    return false;
}

bool ForDialogManager(KeyMessage message, wchar_t code) {
    constexpr wchar_t kFirstPrintable = L' ';
    constexpr wchar_t kDelete = 0x7F;
    const bool printable = code >= kFirstPrintable && code != kDelete;
    return message != KeyMessage::Char || !printable;
}
