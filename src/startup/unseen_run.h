#pragma once

#include "dialog/dialog_setup.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a run does before it shows any window.
enum class RunPlan {
    ShowHere,        // the dialog, or the usage box, where the user sees it
    AskTheUser,      // a copy in the session of the one user who can answer
    CountDownUnseen, // nobody sees it, but the countdown takes a selected option
    EndWithError,    // nobody can answer: the error code at once
};

// Where nobody can see a window (a service, a task that runs as SYSTEM or
// whether the user is logged on or not), the user at the computer is asked
// through a copy in their session, unless `mayAskTheUser` is false: a copy
// never starts one of its own, and a copy that could not be started leaves
// the run as if there were nobody to ask. Then only a countdown that will
// take a selected option can end by itself; the dialog without one, or the
// usage box, would keep the script waiting for ever.
RunPlan PlanRun(const DialogSetup& setup, bool windowsCanBeSeen, bool mayAskTheUser);

// The sessions whose user may be asked, in order; the first one where a
// user is logged on is asked. The console's comes first; where nobody is
// logged on there, the only active session. With several active sessions (a
// server with remote users) or none, only the console's user can be asked.
std::vector<std::uint32_t> SessionsToAsk(std::optional<std::uint32_t> consoleSession,
                                         const std::vector<std::uint32_t>& activeSessions);

// A copy ends with its code in the low bits of this mark (the bit that
// Windows leaves to applications), so that a process ended from outside
// with a code of its own never passes for an answer: Task Manager and
// taskkill end a process with 1.
inline constexpr std::uint32_t kCopyExitMark = 0x20000000;
std::uint32_t CopyExitCode(unsigned exitCode);

// The waiting run's exit code for its copy's: what the dialog could have
// given passes, anything else (a crash, a process ended from outside) is the
// error code.
unsigned ExitCodeFromCopy(std::uint32_t copyExitCode, int numOptions);

// The variable in the copy's environment that names the process waiting for
// its answer, and its value: the process id and the inherited handle's value.
inline constexpr wchar_t kWaitingProcessVariable[] = L"TOLVANE_WAITING_PROCESS";
struct WaitingProcess {
    std::uint32_t processId = 0;
    std::uint64_t handle = 0;
    bool operator==(const WaitingProcess&) const = default;
};
std::wstring WaitingProcessValue(const WaitingProcess& waiting);
// Nullopt for anything that is not exactly such a value.
std::optional<WaitingProcess> ParseWaitingProcess(std::wstring_view value);
