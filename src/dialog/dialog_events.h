#pragma once

// The dialog's event handlers. Each is named after the event of the dialog
// or of one of its controls that it answers, as the control's name and the
// event's joined by an underscore: cmdOk_Click for a click on the OK button,
// tmrTimer_Timer for a tick of the countdown's timer, Form_Load and
// Form_Unload for the dialog itself being set up and closed. The Win32
// window turns its messages into these calls and the responses into changes
// of the window; the handlers themselves know nothing of Windows.

#include "dialog/countdown.h"

#include <cstdint>
#include <optional>

// The dialog's state between events: the rows shown and the countdown.
struct DialogState {
    int NumOptions = 0;
    Countdown countdown;
};

// What the window must do after an event.
struct DialogResponse {
    std::optional<unsigned> exitCode; // end the process with this code
    bool countdownChanged = false;    // show the countdown's new state
    bool announce = false;            // read the countdown out to a screen reader
};

// The dialog's event handlers. `selectedRow` is the row whose button is
// checked, if any; `nowMs` reads a monotonic clock.
DialogResponse Form_Load(DialogState& state, int numOptions, std::int32_t seconds,
                         std::int64_t nowMs);
DialogResponse cmdOk_Click(const DialogState& state, std::optional<int> selectedRow);
DialogResponse cmdAnnulla_Click();
DialogResponse Form_Unload();
DialogResponse tmrTimer_Timer(DialogState& state, std::optional<int> selectedRow,
                              std::int64_t nowMs);

// The handler of the eight events that stop the countdown for good: a click
// on the background, the frame or either label, a row's click or loss of
// focus, and any key that reaches the dialog.
DialogResponse StopCountdownEvent(DialogState& state);
