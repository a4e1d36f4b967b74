#include "dialog/countdown.h"

#include <algorithm>

namespace {
std::int64_t NextDeadline(const Countdown& countdown) {
    return countdown.startMs + (countdown.ticksDone + 1) * kTickMs;
}
} // namespace

void StartCountdown(Countdown& countdown, std::int32_t seconds, std::int64_t nowMs) {
    if (seconds <= 0) {
        return;
    }
    countdown = {CountdownState::Running, seconds, nowMs, 0};
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
    if (!IsTimerEnabled(countdown) || nowMs < NextDeadline(countdown)) {
        return TickAction::None;
    }
    ++countdown.ticksDone;
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
    return std::max<std::int64_t>(0, NextDeadline(countdown) - nowMs);
}
