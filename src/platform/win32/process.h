#pragma once

#include <string>

// The process services that start-up and the dialog use.

// The command-line tail of this process, quotes and all.
std::wstring ProcessCommandLineTail();

// Shows `text` in a modal message box with the program's caption, an OK
// button only and no icon; returns when it has been dismissed.
void ShowUsageBox(const std::wstring& text);

// Ends the process at once with `exitCode`; every end of the program goes
// through here.
[[noreturn]] void EndProcess(unsigned exitCode);
