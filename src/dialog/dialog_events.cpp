#include "dialog/dialog_events.h"

#include "dialog/announcement.h"
#include "dialog/ok_action.h"
#include "startup/exit_codes.h"

DialogResponse Form_Load(DialogState& state, int numOptions, std::int32_t seconds,
                         std::int64_t nowMs) {
    state.NumOptions = numOptions;
    StartCountdown(state.countdown, seconds, nowMs);
    return {std::nullopt, IsTimerEnabled(state.countdown)};
}

DialogResponse cmdOk_Click(const DialogState& state, std::optional<int> selectedRow) {
    return {OkAction(selectedRow, state.NumOptions), false};
}

DialogResponse cmdAnnulla_Click() {
    return {exit_code::kCancelled, false};
}

DialogResponse Form_Unload() {
    return {exit_code::kCancelled, false};
}

DialogResponse tmrTimer_Timer(DialogState& state, std::optional<int> selectedRow,
                              std::int64_t nowMs) {
    DialogResponse response;
    const TickAction action = TakeDueTick(state.countdown, nowMs);
    if (action == TickAction::OkAction) {
        response.exitCode = OkAction(selectedRow, state.NumOptions);
    }
    response.announce = action == TickAction::ShowSeconds && IsAnnouncedAfterTick(state.countdown);
    // The timer is re-armed for the next deadline after every message.
    response.countdownChanged = IsTimerEnabled(state.countdown);
    return response;
}

DialogResponse StopCountdownEvent(DialogState& state) {
    const bool wasRunning = IsTimerEnabled(state.countdown);
    StopCountdown(state.countdown);
    return {std::nullopt, wasRunning};
}
