#include "startup/unseen_run.h"

#include "startup/exit_codes.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

TEST(PlanRun, WhereNobodySeesTheUserIsAskedElseOnlyACountdownThatTakesAnOptionRuns) {
    using enum RunPlan;
    const struct {
        const wchar_t* tail;
        RunPlan unseen;      // nobody sees the window, and a user may be asked
        RunPlan nobodyToAsk; // nobody sees it, and nobody can be asked
    } cases[] = {
        {L"/Option a /Option b", AskTheUser, EndWithError},   // waits for a user
        {L"/Title x", EndWithError, EndWithError},            // the usage box
        {L"/Title x /Timeout 5", EndWithError, EndWithError}, // usage box, too
        {L"/Option a /Option b /Default 5 /Timeout 5", AskTheUser, EndWithError}, // takes nothing
        {L"/Option a /Timeout 301", AskTheUser, EndWithError},                    // no countdown
        {L"/Option a /Option b /Default 2 /Timeout 5", AskTheUser, CountDownUnseen},
        {L"/Option a /Timeout 1", AskTheUser, CountDownUnseen},
    };
    for (const auto& c : cases) {
        SwitchTable table;
        ParseCommandLine(c.tail, table);
        const DialogSetup setup = SetUpFromSwitches(table);
        EXPECT_EQ(PlanRun(setup, false, true), c.unseen) << c.tail;
        EXPECT_EQ(PlanRun(setup, false, false), c.nobodyToAsk) << c.tail;
        EXPECT_EQ(PlanRun(setup, true, true), ShowHere) << c.tail;
        EXPECT_EQ(PlanRun(setup, true, false), ShowHere) << c.tail;
    }
}

TEST(SessionsToAsk, TheConsoleUserElseTheOnlyActiveSession) {
    using Sessions = std::vector<std::uint32_t>;
    const struct {
        std::optional<std::uint32_t> console;
        Sessions active;
        Sessions asked;
    } cases[] = {
        {1, {1}, {1}},              // the user at the console
        {1, {1, 2}, {1}},           // the console before a remote user
        {1, {2}, {1, 2}},           // the one remote user, if nobody is at the console
        {std::nullopt, {3}, {3}},   // no session attached to the console
        {1, {2, 3}, {1}},           // two remote users: only the console's
        {std::nullopt, {2, 3}, {}}, // nobody at the console, two remote users
        {std::nullopt, {}, {}},     // nobody logged on
        {1, {}, {1}},               // the console's logon screen, or locked
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SessionsToAsk(c.console, c.active), c.asked)
            << c.console.value_or(0) << " with " << c.active.size() << " active";
    }
}

TEST(ExitCodeFromCopy, OnlyWhatTheDialogCouldGivePasses) {
    const struct {
        std::uint32_t copy;
        int numOptions;
        unsigned waiting;
    } cases[] = {
        {CopyExitCode(0), 3, 0},
        {CopyExitCode(1), 3, 1},
        {CopyExitCode(3), 3, 3},   // answers
        {CopyExitCode(11), 3, 11}, // its error
        {CopyExitCode(4), 3, 11},
        {CopyExitCode(10), 3, 11}, // no such option was shown
        {CopyExitCode(10), 10, 10},
        {CopyExitCode(12), 10, 11},
        {CopyExitCode(255), 10, 11},
        {CopyExitCode(0x100), 10, 11},
        {0, 3, 11},
        {1, 3, 11},
        {2, 3, 11},
        {11, 3, 11}, // ended from outside, or a crash
        {0xC0000005, 2, 11},
        {0xFFFFFFFF, 2, 11},
        {kCopyExitMark | 0xC0000005, 2, 11},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExitCodeFromCopy(c.copy, c.numOptions), c.waiting)
            << std::hex << c.copy << " of " << std::dec << c.numOptions;
    }
}

TEST(WaitingProcess, OnlyAnExactValueNamesOne) {
    const WaitingProcess waiting{4242, 0x1F4};
    EXPECT_EQ(ParseWaitingProcess(WaitingProcessValue(waiting)), waiting);
    EXPECT_EQ(ParseWaitingProcess(L"4294967295:18446744073709551615"),
              (WaitingProcess{4294967295u, 18446744073709551615u}));
    for (const wchar_t* wrong :
         {L"", L":", L"12", L"12:", L":34", L"0:34", L"12:0", L"-1:34", L"12:+34", L" 12:34",
          L"12:34 ", L"012:34", L"12:34:56", L"4294967296:34", L"12:18446744073709551616",
          L"12:0x22", L"１２:34"}) {
        EXPECT_EQ(ParseWaitingProcess(wrong), std::nullopt) << wrong;
    }
}

} // namespace
