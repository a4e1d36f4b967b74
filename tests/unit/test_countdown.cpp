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

TEST(Countdown, AfterAStallEachSecondLeftIsShownForASecond) {
    Countdown c = Started(10);
    ASSERT_EQ(TakeDueTick(c, kStart + 1000), TickAction::ShowSeconds);
    // The process was frozen for 3.5 s: one tick, not the three it missed.
    const std::int64_t woke = kStart + 4500;
    EXPECT_EQ(TakeDueTick(c, woke), TickAction::ShowSeconds);
    EXPECT_EQ(c.SecondsLeft, 8);
    EXPECT_EQ(TakeDueTick(c, woke), TickAction::None);
    EXPECT_EQ(MsUntilNextTick(c, woke), kTickMs);
    EXPECT_EQ(TakeDueTick(c, woke + 999), TickAction::None);
    EXPECT_EQ(TakeDueTick(c, woke + 1000), TickAction::ShowSeconds);
    EXPECT_EQ(c.SecondsLeft, 7);
}

TEST(Countdown, AStallPastTheEndStillShowsTheLastSecondsBeforeOk) {
    Countdown c = Started(2);
    const std::int64_t woke = kStart + 3500;
    EXPECT_EQ(TakeDueTick(c, woke), TickAction::ShowSeconds);
    EXPECT_EQ(c.SecondsLeft, 1);
    EXPECT_EQ(TakeDueTick(c, woke), TickAction::None);
    EXPECT_EQ(TakeDueTick(c, woke + 1000), TickAction::ShowSeconds);
    EXPECT_EQ(c.state, CountdownState::Expired);
    EXPECT_EQ(TakeDueTick(c, woke + 1999), TickAction::None);
    EXPECT_EQ(TakeDueTick(c, woke + 2000), TickAction::OkAction);
}

TEST(Countdown, AStallOfSecondsDelaysTheEndByTheStallAndNoMore) {
    // Timer messages 16 ms late throughout, and one stall of 7 s at the
    // 100th second: every number stays up for about a second, and the end
    // comes S + 1 seconds after the start plus the stall.
    constexpr std::int64_t kLate = 16;
    constexpr std::int64_t kStall = 7000;
    constexpr std::int32_t kSeconds = 300;
    Countdown c = Started(kSeconds);
    std::int64_t now = kStart;
    std::int64_t lastShown = kStart;
    bool stalled = false;
    for (;;) {
        now += MsUntilNextTick(c, now) + kLate;
        if (!stalled && now > kStart + 100 * kTickMs) {
            now += kStall;
            stalled = true;
        }
        const TickAction action = TakeDueTick(c, now);
        ASSERT_NE(action, TickAction::None);
        ASSERT_EQ(TakeDueTick(c, now), TickAction::None) << "one tick per message";
        ASSERT_GE(now - lastShown, kTickMs - kLate) << "shown for a second at least";
        lastShown = now;
        if (action == TickAction::OkAction) {
            break;
        }
    }
    EXPECT_TRUE(stalled);
    EXPECT_EQ(c.SecondsLeft, 0);
    const std::int64_t end = kStart + (kSeconds + 1) * kTickMs + kStall;
    EXPECT_GE(now, end);
    EXPECT_LE(now, end + 2 * kLate);
}

} // namespace
