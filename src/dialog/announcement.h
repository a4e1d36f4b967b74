#pragma once

#include "dialog/countdown.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// What a screen reader is told beyond what the controls show: the sentence
// that reads the countdown out, and when it is read out.

// The longest text given to a screen reader, in UTF-16 code units: a prompt
// or an option may be 32,767 characters long, more than anyone would listen
// to.
inline constexpr std::size_t kMaxSpokenLength = 400;

// `text` as a screen reader should say it: the access-key marks of a caption
// taken out ("&&" stands for "&"), and cut with an ellipsis, at the end of a
// word where one is near and never inside a surrogate pair, when it is longer
// than kMaxSpokenLength.
std::wstring SpokenText(std::wstring_view text);

// The sentence that reads out the countdown, e.g. "Tra 10 secondi verrà
// scelto: Incrementale": which option the countdown will take and when, or
// that it will take none. `option` is the selected row's caption, with its
// number counted from 1, or none when no row is selected.
struct SelectedOption {
    int number;
    std::wstring_view caption;
};
std::wstring CountdownAnnouncement(std::int32_t secondsLeft, std::optional<SelectedOption> option);

// The countdown is read out once when the dialog shows with it running,
// then again only when a tick brings it to 10 or to 5 seconds left.
bool IsAnnouncedWhenShown(const Countdown& countdown);
bool IsAnnouncedAfterTick(const Countdown& countdown);
