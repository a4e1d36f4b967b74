// libFuzzer target: arbitrary command-line tails (the input's bytes read as
// UTF-16LE code units) go through the parser, the dialog's set-up and layout,
// and a run of the dialog's event handlers whose clock and events are drawn
// from the same code units. Every broken invariant aborts.
#include "dialog/countdown.h"
#include "dialog/dialog_events.h"
#include "dialog/dialog_layout.h"
#include "dialog/dialog_setup.h"
#include "dialog/ok_action.h"
#include "startup/command_line_parser.h"

#include "parse_invariants.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

#define CHECK(condition)                                                                           \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "invariant broken at line %d: %s\n", __LINE__, #condition);       \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

constexpr std::size_t kMaxEvents = 64;

// A switch name matched without regard to the case of a to z, written out
// here rather than taken from the program.
bool IsKeyword(const std::wstring& name, std::string_view keyword) {
    if (name.size() != keyword.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        const wchar_t c = name[i];
        const wchar_t upper = c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c;
        if (upper != static_cast<wchar_t>(keyword[i])) {
            return false;
        }
    }
    return true;
}

void CheckTable(std::wstring_view line, const SwitchTable& table, std::int32_t result) {
    const LineFacts facts = FactsOf(line);
    CHECK(result == facts.switches);
    CHECK(table.size() == static_cast<std::size_t>(result) + 1);
    CHECK(table[0].Name.empty() && table[0].Value.empty());

    for (const SwitchEntry& entry : table) {
        CHECK(!HasEdgeSpace(entry.Name) && !HasEdgeSpace(entry.Value));
    }
    const std::wstring* closing = FieldClosingTheOpenQuote(facts, table);
    if (closing) {
        CHECK(QuotesLeft(table) == 1 && closing->ends_with(L'"'));
    } else {
        CHECK(QuotesLeft(table) == 0);
    }
}

void CheckSetup(const SwitchTable& table, const DialogSetup& setup) {
    std::vector<std::wstring> options;
    std::optional<std::wstring> caption;
    std::optional<std::wstring> prompt;
    bool timeoutGiven = false;
    bool defaultGiven = false;
    for (std::size_t i = 1; i < table.size(); ++i) {
        const SwitchEntry& entry = table[i];
        if (IsKeyword(entry.Name, "TITLE")) {
            caption = entry.Value;
        } else if (IsKeyword(entry.Name, "TEXT")) {
            prompt = entry.Value;
        } else if (IsKeyword(entry.Name, "OPTION") &&
                   options.size() < static_cast<std::size_t>(kMaxOptions)) {
            options.push_back(entry.Value);
        }
        timeoutGiven |= IsKeyword(entry.Name, "TIMEOUT");
        defaultGiven |= IsKeyword(entry.Name, "DEFAULT");
    }

    CHECK(setup.NumOptions() >= 0 && setup.NumOptions() <= kMaxOptions);
    CHECK(setup.options == options);
    CHECK(setup.caption == caption.value_or(kDefaultCaption));
    CHECK(setup.prompt == prompt.value_or(kDefaultPrompt));
    if (setup.preselectedRow) {
        CHECK(*setup.preselectedRow >= 0 && *setup.preselectedRow <= 9);
        CHECK(*setup.preselectedRow < setup.NumOptions());
    }
    if (!defaultGiven) {
        CHECK(setup.preselectedRow == (options.empty() ? std::nullopt : std::optional<int>(0)));
    }
    CHECK(setup.SecondsLeft == 0 || (setup.SecondsLeft >= 1 && setup.SecondsLeft <= 300));
    CHECK(timeoutGiven || setup.SecondsLeft == 0);
}

bool Inside(const TwipsRect& inner, const TwipsRect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top &&
           inner.left + inner.width <= outer.left + outer.width &&
           inner.top + inner.height <= outer.top + outer.height;
}

void CheckLayout(int numOptions) {
    const DialogGeometry g = LayoutFor(numOptions);
    const DialogGeometry full = LayoutFor(kMaxOptions);
    const float shrink = static_cast<float>((kMaxOptions - numOptions) * kRowPitchTwips);
    const TwipsRect client{0, 0, g.clientWidth, g.clientHeight};

    CHECK(g.clientWidth == full.clientWidth);
    CHECK(g.clientHeight == full.clientHeight - shrink);
    CHECK(g.frmSceltaFrame.height == full.frmSceltaFrame.height - shrink);
    CHECK(g.cmdOk.top == full.cmdOk.top - shrink);
    CHECK(g.cmdAnnulla.top == full.cmdAnnulla.top - shrink);
    CHECK(g.lblTempo.top == full.lblTempo.top - shrink);
    for (const TwipsRect& rect :
         {g.lblTesto, g.frmSceltaFrame, g.cmdOk, g.cmdAnnulla, g.lblTempo}) {
        CHECK(Inside(rect, client));
    }
    // The rows shown lie inside the frame, above the buttons.
    for (int i = 0; i < numOptions; ++i) {
        CHECK(Inside(g.optScelta[i], g.frmSceltaFrame));
        CHECK(g.optScelta[i].top + g.optScelta[i].height <= g.cmdOk.top);
    }
}

void CheckExitCode(const DialogResponse& response) {
    if (response.exitCode) {
        CHECK(*response.exitCode <= 11);
    }
}

// A run of the dialog's handlers: the code units pick the events and how far
// the clock moves, and a plain model of the countdown says what each handler
// must decide.
void CheckRun(std::wstring_view script, const DialogSetup& setup) {
    const int n = setup.NumOptions();
    const std::int32_t seconds = setup.SecondsLeft;
    const std::int64_t startMs = 1'000'000'007;
    std::int64_t nowMs = startMs;
    std::optional<int> selected = setup.preselectedRow;
    bool stopped = false;
    std::int32_t secondsShown = seconds; // what the label shows

    DialogState state;
    const DialogResponse loaded = Form_Load(state, n, seconds, nowMs);
    CHECK(!loaded.exitCode);
    CHECK(state.NumOptions == n);
    CHECK(loaded.countdownChanged == (seconds > 0));
    CHECK(IsTimerEnabled(state.countdown) == (seconds > 0));

    const auto checkCountdown = [&] {
        const Countdown& c = state.countdown;
        CHECK(c.SecondsLeft >= 0 && c.SecondsLeft <= 300);
        CHECK(c.SecondsLeft == secondsShown);
        CHECK(IsTimerEnabled(c) == (seconds > 0 && !stopped));
        if (seconds == 0) {
            CHECK(c.state == CountdownState::Off);
        } else if (stopped) {
            CHECK(c.state == CountdownState::Stopped);
        } else {
            CHECK(c.state ==
                  (c.SecondsLeft > 0 ? CountdownState::Running : CountdownState::Expired));
        }
    };

    // Returns false when the tick ended the process.
    std::int64_t deadline = startMs + kTickMs; // of the next tick
    const auto tick = [&]() -> bool {
        const std::int32_t before = state.countdown.SecondsLeft;
        const bool due = seconds > 0 && !stopped && nowMs >= deadline;
        const DialogResponse response = tmrTimer_Timer(state, selected, nowMs);
        CheckExitCode(response);
        if (!due) {
            CHECK(!response.exitCode);
            checkCountdown();
            CHECK(!IsTimerEnabled(state.countdown) ||
                  MsUntilNextTick(state.countdown, nowMs) == deadline - nowMs);
            return true;
        }
        // One tick, however late: a second less, or the OK action at 0.
        if (before == 0 && selected) {
            CHECK(response.exitCode == static_cast<unsigned>(*selected) + 1);
            return false;
        }
        CHECK(!response.exitCode);
        secondsShown = std::max(0, before - 1);
        checkCountdown();
        // Each number stays on show between half a second and a second.
        const std::int64_t wait = MsUntilNextTick(state.countdown, nowMs);
        CHECK(wait >= kTickMs - kStallMs && wait <= kTickMs);
        deadline = nowMs + wait;
        return true;
    };

    const auto stop = [&] {
        const bool wasRunning = IsTimerEnabled(state.countdown);
        const DialogResponse response = StopCountdownEvent(state);
        CHECK(!response.exitCode);
        CHECK(response.countdownChanged == wasRunning);
        stopped |= seconds > 0;
        checkCountdown();
    };

    for (std::size_t i = 0; i < std::min(script.size(), kMaxEvents); ++i) {
        const auto unit = static_cast<std::uint32_t>(script[i]) & 0xFFFF;
        const std::uint32_t arg = unit >> 3;
        switch (unit & 7) {
        case 0:
        case 1:
        case 2:
        case 3:
            nowMs += arg % 8192;
            if (!tick()) {
                return;
            }
            break;
        case 4: // a click on the background, the frame or a label; a key
            stop();
            break;
        case 5: // a click that selects a row
            if (n > 0) {
                selected = static_cast<int>(arg % static_cast<std::uint32_t>(n));
                stop();
            }
            break;
        case 6: {
            const DialogResponse ok = cmdOk_Click(state, selected);
            CheckExitCode(ok);
            CHECK(ok.exitCode ==
                  (selected ? std::optional<unsigned>(*selected + 1) : std::nullopt));
            // Any row at all, shown or not, even negative.
            const int row = static_cast<int>(arg % 24) - 12;
            const std::optional<unsigned> code = OkAction(row, n);
            CHECK(code == (row >= 0 && row < n ? std::optional<unsigned>(row + 1) : std::nullopt));
            CHECK(!OkAction(std::nullopt, n));
            break;
        }
        default: {
            const DialogResponse cancel = cmdAnnulla_Click();
            const DialogResponse close = Form_Unload();
            CHECK(cancel.exitCode == 0u && close.exitCode == 0u);
            break;
        }
        }
    }

    // Left alone, a running countdown ends with the selected row within
    // S + 1 more ticks, or keeps waiting at 0 when there is none.
    for (int i = 0; i <= seconds + 1 && IsTimerEnabled(state.countdown); ++i) {
        nowMs += MsUntilNextTick(state.countdown, nowMs);
        if (!tick()) {
            return;
        }
    }
    CHECK(!selected || !IsTimerEnabled(state.countdown));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::wstring line;
    line.reserve(size / 2);
    for (std::size_t i = 0; i + 1 < size; i += 2) {
        line.push_back(static_cast<wchar_t>(data[i] | data[i + 1] << 8));
    }

    SwitchTable table{{L"stale", L"entry"}};
    const std::int32_t result = ParseCommandLine(line, table);
    CheckTable(line, table, result);

    const DialogSetup setup = SetUpFromSwitches(table);
    CheckSetup(table, setup);
    CheckLayout(setup.NumOptions());
    CheckRun(line, setup);
    return 0;
}
