#pragma once

// What the user does to the dialog, as far as its rules care: which of it
// stops the countdown, and which keys the dialog manager may act on.

// A click on OK or Annulla is none of these and stops nothing: Annulla ends
// the run anyway, and OK with no row selected must leave the countdown running.
enum class Input {
    KeyDown,           // a key, previewed before the control with the focus sees it
    KeyPress,          // a character, previewed likewise
    ClickOnBackground, // the dialog itself, outside every control
    ClickOnFrame,      // the frame around the rows, outside the rows
    ClickOnLabel,      // the prompt or the countdown label
    RowClicked,        // a row's click notification
    RowLostFocus,      // a row losing the focus
};

struct InputEvent {
    Input input;
    // RowClicked: the row is checked after its notification. Windows also
    // notifies a click when an unchecked radio button merely gets the focus,
    // and that selects nothing.
    bool rowChecked = false;
    // RowLostFocus: the focus went to another control of the dialog, not to
    // another program.
    bool focusStaysInDialog = false;
};

// Whether the event stops the countdown for good.
bool StopsCountdown(const InputEvent& event);

// The keyboard messages of the event loop.
enum class KeyMessage {
    KeyDown,    // WM_KEYDOWN
    SysKeyDown, // WM_SYSKEYDOWN: with Alt, or F10
    Char,       // WM_CHAR
    SysChar,    // WM_SYSCHAR: a character with Alt
};

// Whether the dialog manager may handle the message. A plain character
// never reaches it: the dialog manager takes a character for an access key
// when the focused control wants no text, so a letter typed by mistake would
// press a button or pick a row. Alt with the letter, and Tab, the arrows,
// Enter, Esc and Space, which arrive as key-downs or control characters,
// keep their meaning.
bool ForDialogManager(KeyMessage message, wchar_t code);
