#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

// Asks the user at the computer from a run that nobody can see: starts a
// copy of this program with the same command line in the session that
// SessionToAsk chooses, as that session's user, on their visible desktop,
// and waits for it. Returns the copy's exit code, or nullopt when nobody
// could be asked: only LocalSystem may take another user's token, so any
// other account gets nullopt here.
std::optional<std::uint32_t> AskTheUser();

// Whether this run is such a copy, which never starts one of its own.
bool IsCopyForWaitingProcess();

// In a copy, whether the process that waits for its answer has ended.
bool HasWaitingProcessEnded();

// In a copy, the process that waits for its answer, to be watched; nullptr
// when there is none, or when the value names no such process.
HANDLE WaitingProcessToWatch();
