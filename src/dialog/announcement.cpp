#include "dialog/announcement.h"

#include "platform/text_services.h"

namespace {

constexpr wchar_t kEllipsis = L'\u2026';
// How far back a cut looks for a space, to end on a whole word.
constexpr std::size_t kWordSearch = 40;

bool IsLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

std::wstring WithoutAccessKeyMarks(std::wstring_view text) {
    std::wstring plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) {
            ++i; // "&x" says x, "&&" says "&"
        }
        plain.push_back(text[i]);
    }
    return plain;
}

// The seconds as a phrase: "10 secondi", "1 secondo".
std::wstring Seconds(std::int32_t seconds) {
    const std::wstring digits = NumberText(seconds).substr(1);
    return digits + (seconds == 1 ? L" secondo" : L" secondi");
}

} // namespace

std::wstring SpokenText(std::wstring_view text) {
    std::wstring spoken = WithoutAccessKeyMarks(text);
    if (spoken.size() <= kMaxSpokenLength) {
        return spoken;
    }
    std::size_t cut = kMaxSpokenLength - 1; // room for the ellipsis
    const std::size_t space = spoken.rfind(L' ', cut);
    if (space != std::wstring::npos && cut - space <= kWordSearch) {
        cut = space;
    } else if (IsLowSurrogate(spoken[cut])) {
        --cut; // keep the pair whole
    }
    spoken.resize(cut);
    spoken.push_back(kEllipsis);
    return spoken;
}

std::wstring CountdownAnnouncement(std::int32_t secondsLeft, std::optional<SelectedOption> option) {
    constexpr wchar_t kNoneSelected[] = L"nessuna opzione \u00E8 selezionata";
    if (!option) {
        // At 0 with no row selected the countdown takes nothing and waits.
        return secondsLeft > 0 ? L"Tra " + Seconds(secondsLeft) +
                                     L" non verr\u00E0 scelto nulla: " + kNoneSelected
                               : std::wstring(L"Tempo scaduto: ") + kNoneSelected;
    }
    const std::wstring when = secondsLeft > 0 ? L"Tra " + Seconds(secondsLeft) : L"Tra un istante";
    const std::wstring caption = SpokenText(option->caption);
    if (caption.empty()) {
        return when + L" verr\u00E0 scelta l'opzione " + NumberText(option->number).substr(1);
    }
    return when + L" verr\u00E0 scelto: " + caption;
}

bool IsAnnouncedWhenShown(const Countdown& countdown) {
    return IsTimerEnabled(countdown);
}

bool IsAnnouncedAfterTick(const Countdown& countdown) {
    return countdown.state == CountdownState::Running &&
           (countdown.SecondsLeft == 10 || countdown.SecondsLeft == 5);
}
