#include "session.h"

#include "accessibility_probe.h"
#include "input.h"
#include "json_writer.h"
#include "options.h"
#include "steps.h"
#include "window_info.h"

#include <algorithm>
#include <optional>

namespace {

// The wait of wait-window, and of wait-exit unless it says.
constexpr DWORD kDefaultWaitMs = 15000;
constexpr DWORD kPollMs = 10;

constexpr char kMissedPoint[] = "the click did not reach the point";

POINT CentreOf(HWND child) {
    RECT rect{};
    GetWindowRect(child, &rect);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// A point in the client area of `window`, on the screen.
POINT OnScreen(HWND window, long long x, long long y) {
    POINT point{static_cast<LONG>(x), static_cast<LONG>(y)};
    ClientToScreen(window, &point);
    return point;
}

struct NamedValue {
    const wchar_t* name;
    long long value;
};

constexpr NamedValue kMessageNames[] = {
    {L"WM_CLOSE", WM_CLOSE},           {L"WM_SYSCOMMAND", WM_SYSCOMMAND},
    {L"WM_ENDSESSION", WM_ENDSESSION}, {L"WM_COMMAND", WM_COMMAND},
    {L"SC_CLOSE", SC_CLOSE},           {L"TRUE", 1},
};

bool ParseValue(const std::wstring& text, long long* value) {
    for (const NamedValue& named : kMessageNames) {
        if (lstrcmpiW(text.c_str(), named.name) == 0) {
            *value = named.value;
            return true;
        }
    }
    return ParseNumber(text, value);
}

struct ChildState {
    bool visible;
    std::wstring text;

    bool operator==(const ChildState&) const = default;
};

ChildState ReadChild(HWND top, int id) {
    HWND child = FindDescendant(top, id);
    if (child == nullptr) {
        return {false, {}};
    }
    return {IsWindowVisible(child) != 0, WindowText(child)};
}

void WriteChildState(JsonWriter& json, const ChildState& state, std::optional<double> at) {
    json.BeginObject();
    json.Key("visible").Bool(state.visible);
    json.Key("text").String(state.text);
    json.Key("at_ms").NumberOrNull(at);
    json.EndObject();
}

} // namespace

bool Session::StepWaitWindow(const StepArgs& args, JsonWriter& json) {
    const std::wstring className = args.words.empty() ? L"" : args.words[0];
    HWND found = nullptr;
    bool ok = WaitFor(
        [&] {
            // Only windows that Observe() has recorded, so that the report
            // never lacks the window that this step found.
            for (const SeenWindow& seen : seen_) {
                if (IsWindowVisible(seen.window) &&
                    (className.empty() ||
                     lstrcmpiW(seen.className.c_str(), className.c_str()) == 0)) {
                    found = seen.window;
                    return true;
                }
            }
            return false;
        },
        kDefaultWaitMs);
    if (!ok) {
        return Fail(json, Exited() ? "the process ended without that window"
                                   : "timed out waiting for the window");
    }
    window_ = found;
    // Visible is not yet done showing: a round trip through the program's
    // message loop lets it finish, and the events that it raised meanwhile
    // are recorded now, while the names they announce still hold (input
    // from the next step may change them).
    RoundTrip(found);
    TakeInMessages();
    return true;
}

bool Session::StepDump(const StepArgs&, JsonWriter& json) {
    json.Key("window");
    DumpWindow(json, window_);
    return true;
}

// click:ID, or drag:ID:X:Y, which releases the button elsewhere.
bool Session::StepPress(const StepArgs& args, JsonWriter& json) {
    const HWND child = ChildWithId(args.numbers[0], json);
    if (child == nullptr) {
        return false;
    }
    const POINT from = CentreOf(child);
    const POINT to =
        args.numbers.size() == 3 ? OnScreen(window_, args.numbers[1], args.numbers[2]) : from;
    return Deliver([&] { return PressAndRelease(window_, from, to); }, kMissedPoint, json);
}

bool Session::StepClickClient(const StepArgs& args, JsonWriter& json) {
    const POINT point = OnScreen(window_, args.numbers[0], args.numbers[1]);
    return Deliver([&] { return PressAndRelease(window_, point, point); }, kMissedPoint, json);
}

bool Session::StepClickClose(const StepArgs&, JsonWriter& json) {
    const std::optional<POINT> point = CloseBoxPoint(window_);
    if (!point) {
        return Fail(json, "the window has no close box");
    }
    return Deliver([&] { return PressAndRelease(window_, *point, *point); }, kMissedPoint, json);
}

bool Session::StepKey(const StepArgs& args, JsonWriter& json) {
    const std::optional<KeyChord> chord = ParseKeyChord(args.words[0]);
    if (!chord) {
        return Fail(json, "unknown key");
    }
    return Deliver([&] { return SendKeyChord(*chord); }, "SendInput failed", json);
}

bool Session::StepType(const StepArgs& args, JsonWriter& json) {
    return Deliver([&] { return TypeText(args.text); }, "SendInput failed", json);
}

bool Session::StepPost(const StepArgs& args, JsonWriter& json) {
    return PostMessageW(window_, static_cast<UINT>(args.numbers[0]),
                        static_cast<WPARAM>(args.Number(1, 0)), 0) ||
           Fail(json, "PostMessageW failed");
}

bool Session::StepSend(const StepArgs& args, JsonWriter&) {
    // A handler that ends the process never replies, so this must not block.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window_, static_cast<UINT>(args.numbers[0]),
                        static_cast<WPARAM>(args.Number(1, 0)), 0, SMTO_ABORTIFHUNG, 2000,
                        &ignored);
    return true;
}

bool Session::StepWatch(const StepArgs& args, JsonWriter& json) {
    const long long id = args.numbers[0];
    const long long duration = args.numbers[1];
    ChildState last = ReadChild(window_, static_cast<int>(id));
    json.Key("states").BeginArray();
    WriteChildState(json, last, SinceVisible());
    WaitFor(
        [&] {
            ChildState now = ReadChild(window_, static_cast<int>(id));
            if (!(now == last) && !Exited()) {
                WriteChildState(json, now, SinceVisible());
                last = now;
            }
            return false;
        },
        static_cast<double>(duration));
    json.EndArray();
    json.Key("process_ended").Bool(Exited());
    return true;
}

bool Session::StepInk(const StepArgs& args, JsonWriter& json) {
    const HWND child = ChildWithId(args.numbers[0], json);
    if (child == nullptr) {
        return false;
    }
    // Whatever is queued for the window, its painting included, is done
    // before the screen is read.
    Settle();
    return DumpInk(json, child) || Fail(json, "could not read the screen");
}

bool Session::StepAccessible(const StepArgs& args, JsonWriter& json) {
    const HWND target = args.numbers[0] == 0 ? window_ : ChildWithId(args.numbers[0], json);
    if (target == nullptr) {
        return false;
    }
    json.Key("accessible");
    DumpAccessible(json, target);
    return true;
}

bool Session::StepSleep(const StepArgs& args, JsonWriter&) {
    const long long ms = args.numbers[0];
    // Keeps observing, and ends early should the process end.
    double end = NowMs() + Budget(static_cast<double>(ms));
    WaitFor([&] { return NowMs() >= end; }, static_cast<double>(ms) + 1000);
    return true;
}

bool Session::StepWaitExit(const StepArgs& args, JsonWriter& json) {
    const long long timeout = args.Number(0, kDefaultWaitMs);
    const double asked = static_cast<double>(timeout);
    // The run's --timeout caps every wait: a wait cut short must say so, or
    // a slow start would pass for a process that does not end.
    const double allowed = Budget(asked);
    if (WaitFor([&] { return Exited(); }, asked)) {
        return true;
    }
    timedOut_ = true;
    Kill();
    std::string error = "timed out";
    if (allowed < asked) {
        error += " after " + std::to_string(static_cast<long long>(allowed)) + " of the " +
                 std::to_string(timeout) + " ms asked for: the run's --timeout cut the wait short";
    }
    error += killed_ ? "; the process was killed" : "; the process ended just then";
    return Fail(json, error);
}

bool Session::StepEndProcess(const StepArgs& args, JsonWriter& json) {
    // As a deployment tool does at its time limit: the windows seen so far,
    // a copy's among them, must go with the process.
    const long long timeout = args.Number(0, kDefaultWaitMs);
    Kill();
    const double ended = NowMs();
    const auto anyLeft = [this] {
        return std::any_of(seen_.begin(), seen_.end(),
                           [](const SeenWindow& seen) { return IsWindow(seen.window); });
    };
    while (anyLeft() && NowMs() - ended < static_cast<double>(timeout)) {
        Sleep(kPollMs);
    }
    if (anyLeft()) {
        return Fail(json, "a window outlived the process");
    }
    json.Key("windows_gone_ms").Number(NowMs() - ended);
    return true;
}

namespace {

// How a step's words are read: not at all, as numbers, as message names or
// numbers, as they are, or as one text after the first colon.
enum class ArgKind { Numbers, Values, Words, Text };

struct StepEntry {
    const wchar_t* name;
    const char* usage;
    const char* help;
    ArgKind kind;
    size_t minArgs;
    size_t maxArgs;
    bool needsWindow; // the window that wait-window found
    bool (Session::*run)(const StepArgs&, JsonWriter&);
};

constexpr size_t kAny = 1000;

const StepEntry kSteps[] = {
    {L"wait-window", "wait-window[:CLASS]", "wait for a visible top-level window", ArgKind::Words,
     0, 1, false, &Session::StepWaitWindow},
    {L"dump", "dump", "state of that window and its children", ArgKind::Numbers, 0, 0, true,
     &Session::StepDump},
    {L"sleep", "sleep:MS", "wait, observing", ArgKind::Numbers, 1, 1, false, &Session::StepSleep},
    {L"click", "click:ID", "left click on the centre of a child", ArgKind::Numbers, 1, 1, true,
     &Session::StepPress},
    {L"click-client", "click-client:X:Y", "left click at client coordinates", ArgKind::Numbers, 2,
     2, true, &Session::StepClickClient},
    {L"drag", "drag:ID:X:Y", "press on a child's centre, release at client coordinates",
     ArgKind::Numbers, 3, 3, true, &Session::StepPress},
    {L"click-close", "click-close", "left click on the close box", ArgKind::Numbers, 0, 0, true,
     &Session::StepClickClose},
    {L"key", "key:CHORD", "e.g. Enter, Esc, Shift+Tab, Down, Alt+O, Alt+F4, A", ArgKind::Words, 1,
     1, true, &Session::StepKey},
    {L"type", "type:TEXT", "type the characters of TEXT (all after the first colon)", ArgKind::Text,
     0, kAny, true, &Session::StepType},
    {L"post", "post:MSG[:WPARAM]", "post a message (WM_CLOSE, WM_SYSCOMMAND:SC_CLOSE, ...)",
     ArgKind::Values, 1, 2, true, &Session::StepPost},
    {L"send", "send:MSG[:WPARAM]", "send a message", ArgKind::Values, 1, 2, true,
     &Session::StepSend},
    {L"watch", "watch:ID:MS", "record every change of a child for MS or until exit",
     ArgKind::Numbers, 2, 2, true, &Session::StepWatch},
    {L"ink", "ink:ID", "bounding box of what is drawn on a child, from the screen",
     ArgKind::Numbers, 1, 1, true, &Session::StepInk},
    {L"accessible", "accessible:ID", "what a screen reader reads of a child, or of the window (0)",
     ArgKind::Numbers, 1, 1, true, &Session::StepAccessible},
    {L"wait-exit", "wait-exit[:MS]", "wait for the process to end; killed on timeout",
     ArgKind::Numbers, 0, 1, false, &Session::StepWaitExit},
    {L"end-process", "end-process[:MS]",
     "end the process from outside; wait for every window seen to go", ArgKind::Numbers, 0, 1,
     false, &Session::StepEndProcess},
};

// The step's arguments, or nullopt when they do not fit its table entry.
std::optional<StepArgs> ParseStepArgs(const StepEntry& entry, const std::wstring& step) {
    StepArgs args;
    std::vector<std::wstring> parts = Split(step, L':');
    args.words.assign(parts.begin() + 1, parts.end());
    const size_t colon = step.find(L':');
    args.text = colon == std::wstring::npos ? L"" : step.substr(colon + 1);
    if (entry.kind == ArgKind::Text) {
        return args;
    }
    if (args.words.size() < entry.minArgs || args.words.size() > entry.maxArgs) {
        return std::nullopt;
    }
    if (entry.kind == ArgKind::Numbers || entry.kind == ArgKind::Values) {
        for (const std::wstring& word : args.words) {
            long long number = 0;
            const bool parsed = entry.kind == ArgKind::Numbers ? ParseNumber(word, &number)
                                                               : ParseValue(word, &number);
            if (!parsed) {
                return std::nullopt;
            }
            args.numbers.push_back(number);
        }
    }
    return args;
}

} // namespace

bool Session::RunStep(const std::wstring& step, JsonWriter& json) {
    const std::wstring name = step.substr(0, step.find(L':'));
    json.BeginObject();
    json.Key("step").String(step);
    json.Key("started_ms").NumberOrNull(SinceVisible());
    bool ok = false;
    const StepEntry* entry = nullptr;
    for (const StepEntry& candidate : kSteps) {
        entry = name == candidate.name ? &candidate : entry;
    }
    if (entry == nullptr) {
        Fail(json, "unknown step");
    } else if (const std::optional<StepArgs> args = ParseStepArgs(*entry, step); !args) {
        Fail(json, std::string("usage: ") + entry->usage);
    } else if (!entry->needsWindow || NeedWindow(json)) {
        ok = (this->*entry->run)(*args, json);
    }
    json.Key("ok").Bool(ok);
    json.EndObject();
    return ok;
}

std::string StepsUsage() {
    std::string usage;
    for (const StepEntry& step : kSteps) {
        usage += "  " + std::string(step.usage) + ": " + step.help + "\n";
    }
    return usage;
}
