#pragma once

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
