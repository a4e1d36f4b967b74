#include "dialog/countdown.h"

#include <algorithm>

void StartCountdown(Countdown& countdown, std::int32_t seconds, std::int64_t nowMs) {
    if (seconds <= 0) {
        return;
    }
    countdown = {CountdownState::Running, seconds, nowMs + kTickMs};
}

void StopCountdown(Countdown& countdown) {
    if (IsTimerEnabled(countdown)) {
        countdown.state = CountdownState::Stopped;
    }
}

bool IsTimerEnabled(const Countdown& countdown) {
    return countdown.state == CountdownState::Running || countdown.state == CountdownState::Expired;
}

TickAction TakeDueTick(Countdown& countdown, std::int64_t nowMs) {
    if (!IsTimerEnabled(countdown) || nowMs < countdown.nextTickMs) {
        return TickAction::None;
    }
    // After a stall the next second starts now, so that every number left
    // stays on show for a second.
    const bool stalled = nowMs - countdown.nextTickMs > kStallMs;
    countdown.nextTickMs = (stalled ? nowMs : countdown.nextTickMs) + kTickMs;
    if (countdown.SecondsLeft == 0) {
        return TickAction::OkAction;
    }
    --countdown.SecondsLeft;
    if (countdown.SecondsLeft == 0) {
        countdown.state = CountdownState::Expired;
    }
    return TickAction::ShowSeconds;
}

std::int64_t MsUntilNextTick(const Countdown& countdown, std::int64_t nowMs) {
    return std::max<std::int64_t>(0, countdown.nextTickMs - nowMs);
}
