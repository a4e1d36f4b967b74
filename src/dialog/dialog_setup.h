#pragma once

#include "dialog/dialog_layout.h"
#include "startup/command_line_parser.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the switches make of the dialog: everything the window needs to show
// the run's texts, rows, preselection and countdown.
struct DialogSetup {
    std::wstring caption = kDefaultCaption;
    std::wstring prompt = kDefaultPrompt;
    std::vector<std::wstring> options; // one per row shown, at most ten
    std::optional<int> preselectedRow; // none when /Default names a row not shown
    std::int32_t SecondsLeft = 0;      // 0: no countdown; else 1 to 300

    int NumOptions() const { return static_cast<int>(options.size()); }
};

inline constexpr std::int32_t kMaxTimeoutSeconds = 300;

// Reads entries 1 to the end of `table`, matching names without regard to case.
DialogSetup SetUpFromSwitches(const SwitchTable& table);

// The countdown label's caption for `seconds` left: a space, then the digits.
std::wstring CountdownText(std::int32_t seconds);
