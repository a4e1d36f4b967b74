#pragma once

#include <cstdint>
#include <string>

// The countdown as a state machine over a monotonic millisecond clock. Each
// tick is aimed at its own deadline, one second after the last one's, so
// that timer messages that come a little late never add up; a tick that comes
// very late (the process was frozen) moves the following deadlines on, so
// that the countdown resumes from where it stopped instead of jumping.
enum class CountdownState {
    Off,     // no countdown was asked for
    Running, // counting down, label showing the seconds left
    Expired, // reached 0: every tick performs the OK action
    Stopped, // stopped for good by the user
};

struct Countdown {
    CountdownState state = CountdownState::Off;
    std::int32_t SecondsLeft = 0;
    std::int64_t nextTickMs = 0; // deadline of the next tick
};

inline constexpr std::int64_t kTickMs = 1000;
// A tick later than this is taken for a stall, not for a slow timer message.
inline constexpr std::int64_t kStallMs = kTickMs / 2;

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

// Delivers one tick if its deadline has passed by `nowMs`, and never more
// than one, however late it is.
TickAction TakeDueTick(Countdown& countdown, std::int64_t nowMs);

// Milliseconds from `nowMs` to the next tick's deadline (0 when it is due);
// meaningful only while the timer is enabled.
std::int64_t MsUntilNextTick(const Countdown& countdown, std::int64_t nowMs);
