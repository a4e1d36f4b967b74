#include "platform/show_state.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

// What a show command does to a hidden window, as Windows documents it.
ShowState StateAfter(int command) {
    switch (command) {
    case show_command::kHide:
        return ShowState::Hidden;
    case show_command::kShowMinimized:
    case show_command::kMinimize:
    case show_command::kShowMinNoActive:
    case show_command::kForceMinimize:
        return ShowState::Minimized;
    case show_command::kShowMaximized:
        return ShowState::Maximized;
    default:
        return ShowState::Normal;
    }
}

TEST(InitialShowState, MinimizedWhenAskedElseNormal) {
    EXPECT_EQ(InitialShowState(std::nullopt), ShowState::Normal);
    for (int command = show_command::kHide; command <= show_command::kForceMinimize; ++command) {
        SCOPED_TRACE(command);
        const bool minimized = StateAfter(command) == ShowState::Minimized;
        EXPECT_EQ(InitialShowState(command), minimized ? ShowState::Minimized : ShowState::Normal);
    }
    // Values that no launcher should set still give a visible window.
    EXPECT_EQ(InitialShowState(-1), ShowState::Normal);
    EXPECT_EQ(InitialShowState(12), ShowState::Normal);
    EXPECT_EQ(InitialShowState(0xFFFF), ShowState::Normal);
}

TEST(CorrectingShowCommand, TurnsEveryFirstShowIntoAnAcceptableOne) {
    // Whatever the launcher asked and Windows applied to the first show, the
    // correction gives the state wanted, which is acceptable.
    for (int launcher = show_command::kHide; launcher <= show_command::kForceMinimize; ++launcher) {
        SCOPED_TRACE(launcher);
        const ShowState wanted = InitialShowState(launcher);
        const int correction = CorrectingShowCommand(wanted);
        EXPECT_EQ(StateAfter(correction), wanted);
        EXPECT_TRUE(IsAcceptableShowState(wanted, StateAfter(correction)));
    }
}

TEST(IsAcceptableShowState, NormalOrMinimizedWhenAsked) {
    // Only a hidden or maximized window, or a minimized one that nobody asked
    // for, needs a correction.
    using enum ShowState;
    for (const ShowState wanted : {Normal, Minimized}) {
        EXPECT_TRUE(IsAcceptableShowState(wanted, Normal));
        EXPECT_FALSE(IsAcceptableShowState(wanted, Hidden));
        EXPECT_FALSE(IsAcceptableShowState(wanted, Maximized));
    }
    EXPECT_TRUE(IsAcceptableShowState(Minimized, Minimized));
    EXPECT_FALSE(IsAcceptableShowState(Normal, Minimized));
}

} // namespace
