#include "dialog/countdown.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// Any start will do; a large one catches arithmetic that assumes a zero start.
constexpr std::int64_t kStart = 123'456'789'000;

Countdown Started(std::int32_t seconds) {
    Countdown c;
    StartCountdown(c, seconds, kStart);
    return c;
}

TEST(Countdown, StartingWithZeroLeavesItOff) {
    Countdown c = Started(0);
    EXPECT_EQ(c.state, CountdownState::Off);
    EXPECT_EQ(c.SecondsLeft, 0);
    EXPECT_FALSE(IsTimerEnabled(c));
    EXPECT_EQ(TakeDueTick(c, kStart + 5000), TickAction::None);
    EXPECT_EQ(c.state, CountdownState::Off);
}

TEST(Countdown, TickTShowsSMinusTThenTickSPlusOneAsksForOk) {
    for (std::int32_t seconds : {1, 3, 10, 300}) {
        SCOPED_TRACE(seconds);
        Countdown c = Started(seconds);
        ASSERT_EQ(c.state, CountdownState::Running);
        ASSERT_EQ(c.SecondsLeft, seconds);
        ASSERT_TRUE(IsTimerEnabled(c));
        for (std::int32_t t = 1; t <= seconds; ++t) {
            ASSERT_EQ(TakeDueTick(c, kStart + t * kTickMs), TickAction::ShowSeconds)
                << "tick " << t;
            ASSERT_EQ(c.SecondsLeft, seconds - t);
            ASSERT_EQ(c.state, t < seconds ? CountdownState::Running : CountdownState::Expired);
            ASSERT_TRUE(IsTimerEnabled(c));
        }
        EXPECT_EQ(TakeDueTick(c, kStart + (seconds + 1) * kTickMs), TickAction::OkAction);
        // With no row selected the OK action does nothing, so it is asked for again.
        for (std::int32_t t = seconds + 2; t <= seconds + 5; ++t) {
            EXPECT_EQ(TakeDueTick(c, kStart + t * kTickMs), TickAction::OkAction) << "tick " << t;
            EXPECT_EQ(c.state, CountdownState::Expired);
            EXPECT_EQ(c.SecondsLeft, 0);
            EXPECT_TRUE(IsTimerEnabled(c));
        }
    }
}

TEST(Countdown, TicksNotYetDueDoNothing) {
    Countdown c = Started(5);
    EXPECT_EQ(TakeDueTick(c, kStart), TickAction::None);
    EXPECT_EQ(TakeDueTick(c, kStart + 999), TickAction::None);
    EXPECT_EQ(c.SecondsLeft, 5);
    EXPECT_EQ(MsUntilNextTick(c, kStart + 999), 1);
    EXPECT_EQ(MsUntilNextTick(c, kStart + 1000), 0);
    EXPECT_EQ(TakeDueTick(c, kStart + 1000), TickAction::ShowSeconds);
    EXPECT_EQ(TakeDueTick(c, kStart + 1000), TickAction::None);
    EXPECT_EQ(TakeDueTick(c, kStart + 1999), TickAction::None);
    EXPECT_EQ(c.SecondsLeft, 4);
}

TEST(Countdown, MsUntilNextTickCountsFromTheStartNotFromTheLastTick) {
    Countdown c = Started(10);
    EXPECT_EQ(MsUntilNextTick(c, kStart), 1000);
    EXPECT_EQ(MsUntilNextTick(c, kStart + 250), 750);
    ASSERT_EQ(TakeDueTick(c, kStart + 1400), TickAction::ShowSeconds);
    EXPECT_EQ(MsUntilNextTick(c, kStart + 1400), 600);
    EXPECT_EQ(MsUntilNextTick(c, kStart + 2000), 0);
    EXPECT_EQ(MsUntilNextTick(c, kStart + 2500), 0);
}

TEST(Countdown, StoppingEndsItForGoodAndKeepsTheSecondsLeft) {
    Countdown running = Started(10);
    ASSERT_EQ(TakeDueTick(running, kStart + 1000), TickAction::ShowSeconds);
    StopCountdown(running);
    EXPECT_EQ(running.state, CountdownState::Stopped);
    EXPECT_EQ(running.SecondsLeft, 9);
    EXPECT_FALSE(IsTimerEnabled(running));
    EXPECT_EQ(TakeDueTick(running, kStart + 60'000), TickAction::None);
    EXPECT_EQ(running.SecondsLeft, 9);

    Countdown expired = Started(1);
    ASSERT_EQ(TakeDueTick(expired, kStart + 1000), TickAction::ShowSeconds);
    ASSERT_EQ(expired.state, CountdownState::Expired);
    StopCountdown(expired);
    EXPECT_EQ(expired.state, CountdownState::Stopped);
    EXPECT_EQ(expired.SecondsLeft, 0);
    EXPECT_FALSE(IsTimerEnabled(expired));
    EXPECT_EQ(TakeDueTick(expired, kStart + 2000), TickAction::None);

    // Stopping again, or stopping what never ran, changes nothing.
    StopCountdown(running);
    EXPECT_EQ(running.state, CountdownState::Stopped);
    EXPECT_EQ(running.SecondsLeft, 9);
    Countdown off = Started(0);
    StopCountdown(off);
    EXPECT_EQ(off.state, CountdownState::Off);
    EXPECT_FALSE(IsTimerEnabled(off));
}

TEST(Countdown, ReArmingWithMsUntilNextTickNeverAccumulatesLateness) {
    // Every timer message arrives 16 ms after the delay asked for.
    constexpr std::int64_t kLate = 16;
    constexpr std::int32_t kSeconds = 300;
    Countdown c = Started(kSeconds);
    std::int64_t now = kStart;
    std::int64_t tick = 0;
    bool okAsked = false;
    for (int message = 0; message < 2 * kSeconds && !okAsked; ++message) {
        ASSERT_TRUE(IsTimerEnabled(c));
        now += MsUntilNextTick(c, now) + kLate;
        for (TickAction action = TakeDueTick(c, now); action != TickAction::None;
             action = TakeDueTick(c, now)) {
            ++tick;
            const std::int64_t deadline = kStart + tick * kTickMs;
            ASSERT_GE(now, deadline) << "tick " << tick;
            ASSERT_LE(now, deadline + kLate) << "tick " << tick;
            if (tick <= kSeconds) {
                ASSERT_EQ(action, TickAction::ShowSeconds) << "tick " << tick;
                ASSERT_EQ(c.SecondsLeft, kSeconds - tick);
            } else {
                ASSERT_EQ(action, TickAction::OkAction);
                okAsked = true;
            }
        }
    }
    EXPECT_TRUE(okAsked);
    EXPECT_EQ(tick, kSeconds + 1);
    EXPECT_LE(now, kStart + (kSeconds + 1) * kTickMs + kLate);
}

TEST(Countdown, TicksMissedWhileBusyComeInOrderOnePerCall) {
    Countdown c = Started(10);
    ASSERT_EQ(TakeDueTick(c, kStart + 1000), TickAction::ShowSeconds);
    // The thread was busy for 3.5 s: ticks 2, 3 and 4 are overdue.
    const std::int64_t late = kStart + 4500;
    std::vector<std::int32_t> shown;
    for (TickAction a = TakeDueTick(c, late); a != TickAction::None; a = TakeDueTick(c, late)) {
        ASSERT_EQ(a, TickAction::ShowSeconds);
        shown.push_back(c.SecondsLeft);
    }
    EXPECT_EQ(shown, (std::vector<std::int32_t>{8, 7, 6}));
    EXPECT_EQ(MsUntilNextTick(c, late), 500);
    EXPECT_EQ(TakeDueTick(c, kStart + 5000), TickAction::ShowSeconds);
    EXPECT_EQ(c.SecondsLeft, 5);
}

TEST(Countdown, StallPastTheEndDeliversTheLastSecondsThenOk) {
    Countdown c = Started(2);
    const std::int64_t late = kStart + 3500;
    EXPECT_EQ(TakeDueTick(c, late), TickAction::ShowSeconds);
    EXPECT_EQ(c.SecondsLeft, 1);
    EXPECT_EQ(TakeDueTick(c, late), TickAction::ShowSeconds);
    EXPECT_EQ(c.SecondsLeft, 0);
    EXPECT_EQ(c.state, CountdownState::Expired);
    EXPECT_EQ(TakeDueTick(c, late), TickAction::OkAction);
    EXPECT_EQ(TakeDueTick(c, late), TickAction::None);
    EXPECT_EQ(MsUntilNextTick(c, late), 500);
}

} // namespace
