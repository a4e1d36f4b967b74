#include "dialog/dialog_setup.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

DialogSetup SetUpFromTail(const std::wstring& tail) {
    SwitchTable table;
    ParseCommandLine(tail, table);
    return SetUpFromSwitches(table);
}

const std::vector<std::wstring> kUnoDueTre = {L"Uno", L"Due", L"Tre"};
const std::wstring kThree = L"/Option Uno /Option Due /Option Tre ";

std::wstring Options(int count) {
    std::wstring tail;
    for (int i = 1; i <= count; ++i) {
        tail += L"/Option Opzione " + std::to_wstring(i) + L" ";
    }
    return tail;
}

std::vector<std::wstring> OptionTexts(int count) {
    std::vector<std::wstring> texts;
    for (int i = 1; i <= count; ++i) {
        texts.push_back(L"Opzione " + std::to_wstring(i));
    }
    return texts;
}

TEST(SetUpFromSwitches, NoSwitchesKeepsTheDefaults) {
    const DialogSetup setup = SetUpFromTail(L"");
    EXPECT_EQ(setup.caption, L"Tolvane");
    EXPECT_EQ(setup.prompt, L"Scegliere quale elaborazione eseguire:");
    EXPECT_EQ(setup.NumOptions(), 0);
    EXPECT_EQ(setup.preselectedRow, std::nullopt);
    EXPECT_EQ(setup.SecondsLeft, 0);
}

struct TextCase {
    std::wstring tail;
    std::wstring caption;
    std::wstring prompt;
    std::vector<std::wstring> options;
};

TEST(SetUpFromSwitches, CaptionPromptAndOptions) {
    const std::wstring title = L"Tolvane";
    const std::wstring prompt = L"Scegliere quale elaborazione eseguire:";
    const std::vector<TextCase> cases = {
        {L"/Title Backup /Text Scegli il tipo /Option Completo /Option Incrementale",
         L"Backup",
         L"Scegli il tipo",
         {L"Completo", L"Incrementale"}},
        {L"/title x /TITLE y /Option A", L"y", prompt, {L"A"}},
        {L"/Text uno /text due /Option A", title, L"due", {L"A"}},
        {L"/tItLe T /tExT P /oPtIoN O", L"T", L"P", {L"O"}},
        {kThree, title, prompt, kUnoDueTre},
        {L"-Option Uno -OPTION Due /option Tre", title, prompt, kUnoDueTre},
        {Options(10), title, prompt, OptionTexts(10)},
        {Options(12), title, prompt, OptionTexts(10)},
        {L"/Title /Text /Option /Option B", L"", L"", {L"", L"B"}},
        {LR"(/"Option" "Pre-set" /Option "a /b")", title, prompt, {L"Pre-set", L"a /b"}},
        // Names that are none of the keywords are skipped.
        {L"/Titolo x /Opt A /Options B /Option\tC / E // F /Option\" D", title, prompt, {}},
        {L"Option A", title, prompt, {L"A"}},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.tail));
        const DialogSetup setup = SetUpFromTail(c.tail);
        EXPECT_EQ(setup.caption, c.caption);
        EXPECT_EQ(setup.prompt, c.prompt);
        EXPECT_EQ(setup.options, c.options);
        EXPECT_EQ(setup.NumOptions(), static_cast<int>(c.options.size()));
    }
}

struct DefaultCase {
    std::wstring tail;
    std::optional<int> row;
};

TEST(SetUpFromSwitches, Preselection) {
    const std::vector<DefaultCase> cases = {
        {kThree, 0},
        {kThree + L"/Default 1", 0},
        {kThree + L"/Default 3", 2},
        {kThree + L"/Default 5", std::nullopt},
        {kThree + L"/Default 4", std::nullopt},
        {kThree + L"/Default 0", 0},
        {kThree + L"/Default 11", 0},
        {kThree + L"/Default abc", 0},
        {kThree + L"/Default", 0},
        {kThree + L"/Default -2", 0},
        {kThree + L"/Default 2.5", 2},
        {kThree + L"/Default 1.5", 0},
        {kThree + L"/Default 10.5", 0},
        {kThree + L"/Default 3 /Default 2", 1},
        {kThree + L"/Default 3 /Default abc", 0},
        {kThree + L"/Default 2 secondo", 1},
        {kThree + L"/Default 1e12", 0},
        {kThree + L"/Default 99999999999", 0},
        {kThree + L"/Default \"-99999999999\"", 0},
        {L"/Default 2 " + kThree, 1},
        {Options(4) + L"/Default 3.5", 2},
        {Options(10) + L"/Default 10", 9},
        {Options(10) + L"/Default 10.4", 9},
        {Options(10) + L"/Default 10.5", 0},
        {Options(12) + L"/Default 11", 0},
        // More digits than a double holds, rounded once: just above 7.5.
        {Options(10) + L"/Default 7.5000000000000005", 7},
        {Options(10) + L"/Default 7.5000000000000000", 6},
        {L"/Default 1", std::nullopt},
        {L"", std::nullopt},
    };
    for (const DefaultCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.tail));
        EXPECT_EQ(SetUpFromTail(c.tail).preselectedRow, c.row);
    }
}

struct TimeoutCase {
    std::wstring tail;
    std::int32_t seconds;
};

TEST(SetUpFromSwitches, Countdown) {
    const std::vector<TimeoutCase> cases = {
        {L"/Timeout 300", 300},
        {L"/Timeout 301", 0},
        {L"/Timeout 1", 1},
        {L"/Timeout 0", 0},
        {L"/Timeout 2.5", 2},
        {L"/Timeout 3.5", 4},
        {L"/Timeout 0.4", 0},
        {L"/Timeout 0.5", 0},
        {L"/Timeout 0.6", 1},
        {L"/Timeout 300.5", 300},
        {L"/Timeout 300.6", 0},
        {L"/Timeout 11.499999999999999", 11},
        {L"/Timeout 2.5000000000000001", 2},
        {L"/Timeout 2.50000000000000045", 3},
        {L"/Timeout 10 secondi", 10},
        {L"/Timeout -5", 0},
        {L"/Timeout \"-5\"", 0},
        {L"/Timeout abc", 0},
        {L"/Timeout", 0},
        {L"/Timeout 99999999999", 0},
        {L"/Timeout 5 /Timeout 7", 7},
        {L"/Timeout 5 /Timeout 0", 0},
        {L"/timeout 12", 12},
        {L"/Timeout 10 /Option A", 10},
        {L"/Time 10 /Option A", 0},
    };
    for (const TimeoutCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.tail));
        EXPECT_EQ(SetUpFromTail(c.tail).SecondsLeft, c.seconds);
    }
}

TEST(CountdownText, SpaceThenDigits) {
    EXPECT_EQ(CountdownText(0), L" 0");
    EXPECT_EQ(CountdownText(9), L" 9");
    EXPECT_EQ(CountdownText(30), L" 30");
    EXPECT_EQ(CountdownText(300), L" 300");
}

} // namespace
