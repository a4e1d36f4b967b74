#include "startup/unseen_run.h"

#include "startup/exit_codes.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(ExitCodeWhenUnseen, OnlyACountdownThatTakesAnOptionRunsWhereNobodySees) {
    const struct {
        const wchar_t* tail;
        std::optional<unsigned> unseen; // the code where nobody can see a window
    } cases[] = {
        {L"/Option a /Option b", exit_code::kFailed},                       // waits for a user
        {L"/Title x", exit_code::kFailed},                                  // the usage box
        {L"/Title x /Timeout 5", exit_code::kFailed},                       // usage box, too
        {L"/Option a /Option b /Default 5 /Timeout 5", exit_code::kFailed}, // takes nothing
        {L"/Option a /Timeout 301", exit_code::kFailed},                    // no countdown
        {L"/Option a /Option b /Default 2 /Timeout 5", std::nullopt},       // takes option 2
        {L"/Option a /Timeout 1", std::nullopt},
    };
    for (const auto& c : cases) {
        SwitchTable table;
        ParseCommandLine(c.tail, table);
        const DialogSetup setup = SetUpFromSwitches(table);
        EXPECT_EQ(ExitCodeWhenUnseen(setup, false), c.unseen) << c.tail;
        EXPECT_EQ(ExitCodeWhenUnseen(setup, true), std::nullopt) << c.tail;
    }
}

} // namespace
