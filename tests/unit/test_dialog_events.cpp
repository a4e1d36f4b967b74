#include "dialog/dialog_events.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

constexpr std::int64_t kLoad = 5'000'000;

DialogState Loaded(int numOptions, std::int32_t seconds) {
    DialogState state;
    const DialogResponse response = Form_Load(state, numOptions, seconds, kLoad);
    EXPECT_FALSE(response.exitCode);
    EXPECT_EQ(response.countdownChanged, seconds > 0);
    return state;
}

TEST(DialogEvents, OkExitsWithTheSelectedOptionOrDoesNothing) {
    const DialogState state = Loaded(3, 0);
    EXPECT_EQ(cmdOk_Click(state, 0).exitCode, 1u);
    EXPECT_EQ(cmdOk_Click(state, 2).exitCode, 3u);
    EXPECT_FALSE(cmdOk_Click(state, std::nullopt).exitCode);
}

TEST(DialogEvents, CancelAndClosingExitWithZero) {
    EXPECT_EQ(cmdAnnulla_Click().exitCode, 0u);
    EXPECT_EQ(Form_Unload().exitCode, 0u);
}

TEST(DialogEvents, CountdownRunsOutIntoTheOkActionOneTickAfterShowingZero) {
    DialogState state = Loaded(2, 3);
    for (int t = 1; t <= 3; ++t) {
        const DialogResponse tick = tmrTimer_Timer(state, 1, kLoad + t * kTickMs);
        ASSERT_FALSE(tick.exitCode) << "tick " << t;
        EXPECT_TRUE(tick.countdownChanged);
        EXPECT_EQ(state.countdown.SecondsLeft, 3 - t);
    }
    EXPECT_EQ(tmrTimer_Timer(state, 1, kLoad + 4 * kTickMs).exitCode, 2u);
}

TEST(DialogEvents, ExpiredCountdownWithNoRowSelectedKeepsWaiting) {
    DialogState state = Loaded(3, 1);
    EXPECT_FALSE(tmrTimer_Timer(state, std::nullopt, kLoad + 1 * kTickMs).exitCode);
    for (int t = 2; t <= 6; ++t) {
        const DialogResponse tick = tmrTimer_Timer(state, std::nullopt, kLoad + t * kTickMs);
        EXPECT_FALSE(tick.exitCode);
        EXPECT_EQ(state.countdown.state, CountdownState::Expired);
    }
    // Selecting a row then stops it; a later OK takes that row.
    EXPECT_TRUE(StopCountdownEvent(state).countdownChanged);
    EXPECT_FALSE(tmrTimer_Timer(state, 1, kLoad + 20 * kTickMs).exitCode);
    EXPECT_EQ(cmdOk_Click(state, 1).exitCode, 2u);
}

TEST(DialogEvents, AStopEventEndsTheCountdownForGood) {
    DialogState state = Loaded(2, 10);
    ASSERT_FALSE(tmrTimer_Timer(state, 0, kLoad + kTickMs).exitCode);
    const DialogResponse stop = StopCountdownEvent(state);
    EXPECT_TRUE(stop.countdownChanged);
    EXPECT_EQ(state.countdown.state, CountdownState::Stopped);
    EXPECT_EQ(state.countdown.SecondsLeft, 9);

    // Later stops change nothing, and no later tick ends the process.
    EXPECT_FALSE(StopCountdownEvent(state).countdownChanged);
    const DialogResponse late = tmrTimer_Timer(state, 0, kLoad + 60 * kTickMs);
    EXPECT_FALSE(late.exitCode);
    EXPECT_FALSE(late.countdownChanged);
}

TEST(DialogEvents, WithoutCountdownStopEventsHaveNoEffect) {
    DialogState state = Loaded(2, 0);
    EXPECT_FALSE(StopCountdownEvent(state).countdownChanged);
    EXPECT_EQ(state.countdown.state, CountdownState::Off);
}

TEST(DialogEvents, AfterAStallTheRunDoesNotEndBeforeTheLastSecondsAreShown) {
    DialogState state = Loaded(1, 2);
    // The thread was frozen for five seconds: the countdown resumes at 1.
    const std::int64_t woke = kLoad + 5 * kTickMs;
    EXPECT_FALSE(tmrTimer_Timer(state, 0, woke).exitCode);
    EXPECT_EQ(state.countdown.SecondsLeft, 1);
    EXPECT_FALSE(tmrTimer_Timer(state, 0, woke + kTickMs).exitCode);
    EXPECT_EQ(tmrTimer_Timer(state, 0, woke + 2 * kTickMs).exitCode, 1u);
}

TEST(DialogEvents, AnEarlyTimerMessageReArmsWithoutTicking) {
    DialogState state = Loaded(1, 5);
    const DialogResponse early = tmrTimer_Timer(state, 0, kLoad + 400);
    EXPECT_FALSE(early.exitCode);
    EXPECT_TRUE(early.countdownChanged); // the timer is aimed at the deadline again
    EXPECT_EQ(state.countdown.SecondsLeft, 5);
    EXPECT_EQ(MsUntilNextTick(state.countdown, kLoad + 400), 600);
}

TEST(DialogEvents, UsagePathCountdownFindsNoRowAndNeverExits) {
    // No option: the hidden dialog's countdown runs out while the usage box is up.
    DialogState state = Loaded(0, 1);
    for (int t = 1; t <= 4; ++t) {
        EXPECT_FALSE(tmrTimer_Timer(state, std::nullopt, kLoad + t * kTickMs).exitCode);
    }
}

} // namespace
