#pragma once

#include <cstdint>
#include <string>

// The countdown as a state machine over a monotonic millisecond clock. Tick k
// is due k seconds after the start; each tick is scheduled against that
// deadline, so late timer messages never add up.
enum class CountdownState {
    Off,     // no countdown was asked for
    Running, // counting down, label showing the seconds left
    Expired, // reached 0: every tick performs the OK action
    Stopped, // stopped for good by the user
};

struct Countdown {
    CountdownState state = CountdownState::Off;
    std::int32_t SecondsLeft = 0;
    std::int64_t startMs = 0;   // when the countdown started
    std::int64_t ticksDone = 0; // ticks delivered so far
};

inline constexpr std::int64_t kTickMs = 1000;

// Starts counting down from `seconds` (1 to 300) at `nowMs`; 0 leaves it Off.
void StartCountdown(Countdown& countdown, std::int32_t seconds, std::int64_t nowMs);

// Stops a running or expired countdown for good; does nothing otherwise.
void StopCountdown(Countdown& countdown);

// The timer runs (and the label shows) in the Running and Expired states.
bool IsTimerEnabled(const Countdown& countdown);

// What one tick asks of the window.
enum class TickAction {
    None,        // no tick was due
    ShowSeconds, // SecondsLeft went down by one: show CountdownText(SecondsLeft)
    OkAction,    // the countdown has run out: perform the OK action
};

// Delivers the next tick if its deadline has passed by `nowMs`; call again
// until it returns None, so that ticks missed while the thread was busy still
// come in order.
TickAction TakeDueTick(Countdown& countdown, std::int64_t nowMs);

// Milliseconds from `nowMs` to the next tick's deadline (0 when it is due);
// meaningful only while the timer is enabled.
std::int64_t MsUntilNextTick(const Countdown& countdown, std::int64_t nowMs);
