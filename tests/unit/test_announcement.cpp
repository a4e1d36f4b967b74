#include "dialog/announcement.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

struct AnnouncementCase {
    std::int32_t seconds;
    std::optional<SelectedOption> option;
    std::wstring sentence;
};

TEST(CountdownAnnouncement, SaysWhichOptionAndWhen) {
    const std::vector<AnnouncementCase> cases = {
        {10, SelectedOption{2, L"Incrementale"}, L"Tra 10 secondi verr\u00E0 scelto: Incrementale"},
        {1, SelectedOption{1, L"Uno"}, L"Tra 1 secondo verr\u00E0 scelto: Uno"},
        {0, SelectedOption{1, L"Uno"}, L"Tra un istante verr\u00E0 scelto: Uno"},
        {300, SelectedOption{3, L"&Tre && quattro"},
         L"Tra 300 secondi verr\u00E0 scelto: Tre & quattro"},
        {5, SelectedOption{2, L""}, L"Tra 5 secondi verr\u00E0 scelta l'opzione 2"},
        {5, std::nullopt,
         L"Tra 5 secondi non verr\u00E0 scelto nulla: nessuna opzione \u00E8 selezionata"},
        {0, std::nullopt, L"Tempo scaduto: nessuna opzione \u00E8 selezionata"},
    };
    for (const AnnouncementCase& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(CountdownAnnouncement(c.seconds, c.option), c.sentence);
    }
}

bool IsWellFormed(const std::wstring& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool high = text[i] >= 0xD800 && text[i] <= 0xDBFF;
        const bool low = text[i] >= 0xDC00 && text[i] <= 0xDFFF;
        if (low ||
            (high && (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF))) {
            return false;
        }
        i += high ? 1 : 0;
    }
    return true;
}

TEST(SpokenText, LongTextsAreCutWholeAndMarked) {
    const std::wstring face = L"\U0001F600"; // outside the BMP: a surrogate pair
    const std::vector<std::wstring> texts = {
        std::wstring(32767, L'x'),
        std::wstring(32767, L' '),
        [&] {
            std::wstring faces;
            while (faces.size() < 32766) {
                faces += face;
            }
            return faces;
        }(),
        L"x" + std::wstring(16383, L'\xD83D') + face, // lone high surrogates in the text itself
        [] {
            std::wstring words;
            while (words.size() < 1000) {
                words += L"parola ";
            }
            return words;
        }(),
    };
    for (const std::wstring& text : texts) {
        for (std::size_t length :
             {text.size(), kMaxSpokenLength - 1, kMaxSpokenLength, kMaxSpokenLength + 1}) {
            const std::wstring input = text.substr(0, length);
            const std::wstring spoken = SpokenText(input);
            SCOPED_TRACE(::testing::Message() << input.size() << " units");
            EXPECT_LE(spoken.size(), kMaxSpokenLength);
            if (input.size() <= kMaxSpokenLength) {
                EXPECT_EQ(spoken, input);
            } else {
                EXPECT_EQ(spoken.back(), L'\u2026');
                EXPECT_EQ(input.compare(0, spoken.size() - 1, spoken, 0, spoken.size() - 1), 0);
            }
            if (IsWellFormed(input)) {
                EXPECT_TRUE(IsWellFormed(spoken)) << "a cut never splits a pair";
            }
        }
    }
    // Words stay whole.
    const std::wstring spoken = SpokenText(texts[4]);
    EXPECT_EQ(spoken.substr(spoken.size() - 7), L"parola\u2026");
    EXPECT_TRUE(IsWellFormed(SpokenText(texts[2])));
}

TEST(SpokenText, AccessKeyMarksAreNotSpoken) {
    EXPECT_EQ(SpokenText(L"&OK"), L"OK");
    EXPECT_EQ(SpokenText(L"Salva && chiudi"), L"Salva & chiudi");
    EXPECT_EQ(SpokenText(L"fine&"), L"fine&");
    EXPECT_EQ(SpokenText(L""), L"");
}

TEST(Announcements, OnShowingThenAtTenAndFiveOnly) {
    for (std::int32_t seconds : {1, 5, 10, 12, 300}) {
        SCOPED_TRACE(seconds);
        Countdown c;
        StartCountdown(c, seconds, 0);
        EXPECT_TRUE(IsAnnouncedWhenShown(c));
        std::vector<std::int32_t> announced;
        for (std::int64_t now = kTickMs; IsTimerEnabled(c) && c.SecondsLeft > 0; now += kTickMs) {
            ASSERT_EQ(TakeDueTick(c, now), TickAction::ShowSeconds);
            if (IsAnnouncedAfterTick(c)) {
                announced.push_back(c.SecondsLeft);
            }
        }
        std::vector<std::int32_t> expected;
        for (std::int32_t at : {10, 5}) {
            if (at < seconds) {
                expected.push_back(at);
            }
        }
        EXPECT_EQ(announced, expected);
    }
    Countdown off;
    EXPECT_FALSE(IsAnnouncedWhenShown(off));
    Countdown stopped;
    StartCountdown(stopped, 20, 0);
    StopCountdown(stopped);
    stopped.SecondsLeft = 10;
    EXPECT_FALSE(IsAnnouncedAfterTick(stopped));
}

} // namespace
