// Runs a program under test, drives its windows with real input and reports
// what it saw as one JSON object on stdout (and in --out). kUsage lists the
// steps.
#include "accessibility_probe.h"
#include "input.h"
#include "json_writer.h"
#include "window_info.h"

#include <windows.h>

#include <objbase.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr DWORD kDefaultWaitMs = 15000;
constexpr DWORD kPollMs = 10;
constexpr UINT kKilledExitCode = 0xE2E0DEAD;

POINT CentreOf(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

const char kUsage[] =
    "usage: tolvane_driver (--exe PATH [--tail TEXT | --tail-hex HEX | --tail-file PATH]\n"
    "                       | --attach-class CLASS [--attach-title TEXT])\n"
    "                      [--timeout MS] [--out PATH] [--steps-file PATH] [--show SW] STEP...\n"
    "  --show: start the program with STARTF_USESHOWWINDOW and this wShowWindow\n"
    "  --tail-hex: UTF-16 code units, four hex digits each; --tail-file: raw UTF-16LE\n"
    "steps:\n";

LARGE_INTEGER g_frequency;
LARGE_INTEGER g_origin;

double NowMs() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - g_origin.QuadPart) * 1000.0 /
           static_cast<double>(g_frequency.QuadPart);
}

std::vector<std::wstring> Split(std::wstring_view text, wchar_t separator) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (true) {
        size_t end = text.find(separator, start);
        parts.emplace_back(text.substr(start, end - start));
        if (end == std::wstring_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

// Plain out-parameters rather than std::optional: GCC's -Os sees phantom
// uninitialised reads through optionals.
bool ParseNumber(const std::wstring& text, long long* value) {
    if (text.empty()) {
        return false;
    }
    wchar_t* end = nullptr;
    *value = std::wcstoll(text.c_str(), &end, 0);
    return *end == L'\0';
}

struct NamedValue {
    const wchar_t* name;
    long long value;
};

constexpr NamedValue kMessageNames[] = {
    {L"WM_CLOSE", WM_CLOSE},
    {L"WM_SYSCOMMAND", WM_SYSCOMMAND},
    {L"WM_ENDSESSION", WM_ENDSESSION},
    {L"WM_QUERYENDSESSION", WM_QUERYENDSESSION},
    {L"WM_COMMAND", WM_COMMAND},
    {L"WM_QUIT", WM_QUIT},
    {L"WM_KEYDOWN", WM_KEYDOWN},
    {L"WM_KEYUP", WM_KEYUP},
    {L"WM_CHAR", WM_CHAR},
    {L"SC_CLOSE", SC_CLOSE},
    {L"IDOK", IDOK},
    {L"IDCANCEL", IDCANCEL},
    {L"TRUE", 1},
    {L"FALSE", 0},
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

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    CloseHandle(file);
    return bytes;
}

std::wstring FromUtf8(const std::string& bytes) {
    int length =
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(length, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                        length);
    return text;
}

std::optional<std::wstring> DecodeHex(const std::wstring& hex) {
    if (hex.size() % 4 != 0) {
        return std::nullopt;
    }
    std::wstring text;
    for (size_t i = 0; i < hex.size(); i += 4) {
        long long unit = 0;
        if (!ParseNumber(L"0x" + hex.substr(i, 4), &unit)) {
            return std::nullopt;
        }
        text += static_cast<wchar_t>(unit);
    }
    return text;
}

// What every thread of a live process is doing, as winedbg's backtraces: a
// process that does not end is killed, and this is what is left of it. Under
// Wine only; elsewhere it says that winedbg did not start.
std::wstring ThreadBacktraces(DWORD processId) {
    std::string commands;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 thread{};
    thread.dwSize = sizeof thread;
    for (BOOL more = Thread32First(snapshot, &thread); more;
         more = Thread32Next(snapshot, &thread)) {
        if (thread.th32OwnerProcessID == processId) {
            commands += "bt " + std::to_string(thread.th32ThreadID) + "\n";
        }
    }
    CloseHandle(snapshot);
    commands += "detach\nquit\n";

    // Commands in through a pipe that holds them all, backtraces out through
    // another that is read as it fills, so that neither side can block.
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE inRead = nullptr;
    HANDLE inWrite = nullptr;
    HANDLE outRead = nullptr;
    HANDLE outWrite = nullptr;
    CreatePipe(&inRead, &inWrite, &inheritable, 0);
    CreatePipe(&outRead, &outWrite, &inheritable, 0);
    SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    DWORD written = 0;
    WriteFile(inWrite, commands.data(), static_cast<DWORD>(commands.size()), &written, nullptr);
    CloseHandle(inWrite);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inRead;
    startup.hStdOutput = outWrite;
    startup.hStdError = outWrite;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"winedbg.exe " + std::to_wstring(processId);
    const bool started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
    const DWORD startError = GetLastError();
    CloseHandle(inRead);
    CloseHandle(outWrite);
    std::string text;
    if (started) {
        CloseHandle(info.hThread);
        // Well within the 30 s that the harness gives the driver beyond --timeout.
        const ULONGLONG end = GetTickCount64() + 10000;
        DWORD available = 0;
        // Fails once winedbg has ended and the pipe is empty.
        while (PeekNamedPipe(outRead, nullptr, 0, nullptr, &available, nullptr)) {
            if (available == 0) {
                if (GetTickCount64() > end) {
                    TerminateProcess(info.hProcess, 1);
                    text += "\n[winedbg took too long and was stopped]";
                    break;
                }
                Sleep(kPollMs);
                continue;
            }
            char buffer[4096];
            DWORD read = 0;
            ReadFile(outRead, buffer, sizeof buffer, &read, nullptr);
            text.append(buffer, read);
        }
        WaitForSingleObject(info.hProcess, 5000);
        CloseHandle(info.hProcess);
    }
    CloseHandle(outRead);
    return started ? FromUtf8(text)
                   : L"winedbg did not start (error " + std::to_wstring(startError) + L")";
}

struct SeenWindow {
    HWND window;
    std::wstring className;
    std::wstring text;
    std::vector<int> childIds; // what tells a dialog from a message box
    double atMs;
};

std::vector<int> ChildIds(HWND window) {
    std::vector<int> ids;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        ids.push_back(GetDlgCtrlID(child));
    }
    return ids;
}

// The process under test and what has been observed of it so far.
// A step's arguments, split at its colons and checked against the step's
// table entry before the step runs.
struct StepArgs {
    std::vector<std::wstring> words; // after the step's name
    std::vector<long long> numbers;  // the words as numbers, for the steps that take them
    std::wstring text;               // all after the first colon, for type

    long long Number(size_t index, long long fallback) const {
        return index < numbers.size() ? numbers[index] : fallback;
    }
};

class Session {
  public:
    bool Start(const std::wstring& exe, const std::wstring& tail, std::optional<WORD> show,
               JsonWriter& report);
    bool Attach(const std::wstring& className, const std::wstring* title, JsonWriter& report);
    bool RunStep(const std::wstring& step, JsonWriter& json);
    void Finish(JsonWriter& report);

    void SetDeadline(double ms) { deadlineMs_ = ms; }

  private:
    void Observe();
    bool Exited();
    // Polls until `done` holds, the process ends or the time runs out.
    template <typename Done> bool WaitFor(Done done, double timeoutMs);
    double Budget(double requestedMs) const;
    std::optional<double> SinceVisible() const;
    bool NeedWindow(JsonWriter& json);
    // The child with this control id; nullptr, with an error, when there is
    // none.
    HWND ChildWithId(long long id, JsonWriter& json);
    bool BringToFront(JsonWriter& json);
    void Kill();

  public:
    // The steps; RunStep has checked and parsed their arguments.
    bool StepWaitWindow(const StepArgs& args, JsonWriter& json);
    bool StepDump(const StepArgs& args, JsonWriter& json);
    bool StepSleep(const StepArgs& args, JsonWriter& json);
    bool StepClick(const StepArgs& args, JsonWriter& json);
    bool StepClickClient(const StepArgs& args, JsonWriter& json);
    bool StepDrag(const StepArgs& args, JsonWriter& json);
    bool StepClickClose(const StepArgs& args, JsonWriter& json);
    bool StepKey(const StepArgs& args, JsonWriter& json);
    bool StepType(const StepArgs& args, JsonWriter& json);
    bool StepPost(const StepArgs& args, JsonWriter& json);
    bool StepSend(const StepArgs& args, JsonWriter& json);
    bool StepForeground(const StepArgs& args, JsonWriter& json);
    bool StepWaitChange(const StepArgs& args, JsonWriter& json);
    bool StepWatch(const StepArgs& args, JsonWriter& json);
    bool StepInk(const StepArgs& args, JsonWriter& json);
    bool StepAccessible(const StepArgs& args, JsonWriter& json);
    bool StepWaitExit(const StepArgs& args, JsonWriter& json);

  private:
    bool FinishClick(POINT point, JsonWriter& json);
    void Settle();

    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
    std::vector<SeenWindow> seen_;
    std::optional<double> visibleAt_;
    std::optional<double> exitAt_;
    DWORD exitCode_ = 0;
    bool killed_ = false;
    bool timedOut_ = false;
    double deadlineMs_ = 60000;
};

double Session::Budget(double requestedMs) const {
    double left = deadlineMs_ - NowMs();
    return requestedMs < left ? requestedMs : (left > 0 ? left : 0);
}

std::optional<double> Session::SinceVisible() const {
    if (!visibleAt_) {
        return std::nullopt;
    }
    return NowMs() - *visibleAt_;
}

bool Session::Start(const std::wstring& exe, const std::wstring& tail, std::optional<WORD> show,
                    JsonWriter& report) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!tail.empty()) {
        commandLine += L" " + tail;
    }
    report.Key("command_line").String(commandLine);
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (show) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = *show;
    }
    PROCESS_INFORMATION info{};
    // Wine now and then loses a new process while it is still starting up
    // and fails the start with ERROR_INTERNAL_ERROR (a `wine` command ends
    // with status 1 then): that start is made once more, and the report
    // counts the starts.
    int starts = 0;
    BOOL created = FALSE;
    do {
        ++starts;
        QueryPerformanceCounter(&g_origin);
        created = CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &startup, &info);
    } while (!created && GetLastError() == ERROR_INTERNAL_ERROR && starts < 2);
    report.Key("starts").Int(starts);
    if (!created) {
        report.Key("error").Ascii("CreateProcessW failed with error " +
                                  std::to_string(GetLastError()));
        return false;
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    StartWinEventRecording(processId_, [this] { return SinceVisible().value_or(-1); });
    report.Key("pid").Int(processId_);
    report.Key("exe_icons");
    DumpFileIcons(report, exe);
    return true;
}

bool Session::Attach(const std::wstring& className, const std::wstring* title, JsonWriter& report) {
    QueryPerformanceCounter(&g_origin);
    while (NowMs() < deadlineMs_) {
        HWND found = nullptr;
        while ((found = FindWindowExW(nullptr, found, className.c_str(),
                                      title ? title->c_str() : nullptr)) != nullptr) {
            if (IsWindowVisible(found)) {
                break;
            }
        }
        if (found != nullptr) {
            GetWindowThreadProcessId(found, &processId_);
            process_ =
                OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE,
                            FALSE, processId_);
            if (process_ == nullptr) {
                report.Key("error").Ascii("OpenProcess failed");
                return false;
            }
            report.Key("pid").Int(processId_);
            Observe();
            return true;
        }
        Sleep(kPollMs);
    }
    report.Key("error").Ascii("no window to attach to");
    return false;
}

void Session::Observe() {
    for (HWND window : VisibleTopLevelWindows(processId_)) {
        bool known = false;
        for (const SeenWindow& seen : seen_) {
            known = known || seen.window == window;
        }
        if (!known) {
            double at = NowMs();
            if (!visibleAt_) {
                visibleAt_ = at;
            }
            seen_.push_back({window, ClassName(window), WindowText(window), ChildIds(window), at});
        }
    }
}

bool Session::Exited() {
    if (process_ == nullptr) {
        return false;
    }
    if (exitAt_) {
        return true;
    }
    if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) {
        return false;
    }
    exitAt_ = NowMs();
    GetExitCodeProcess(process_, &exitCode_);
    return true;
}

template <typename Done> bool Session::WaitFor(Done done, double timeoutMs) {
    double end = NowMs() + Budget(timeoutMs);
    while (true) {
        // The end is noted once, before `done` looks: a process that ends
        // between the two would otherwise count as not done, and a wait for
        // the exit would fail although the process had just ended.
        const bool ended = Exited();
        if (!ended) {
            Observe();
        }
        if (done()) {
            return true;
        }
        if (ended || NowMs() >= end) {
            return false;
        }
        // Waiting on the process rather than sleeping notes its end at once;
        // the messages that come meanwhile (the window events recorded) are
        // taken in.
        if (MsgWaitForMultipleObjects(1, &process_, FALSE, kPollMs, QS_ALLINPUT) == WAIT_OBJECT_0) {
            Exited();
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
    }
}

void Session::Kill() {
    if (!Exited()) {
        TerminateProcess(process_, kKilledExitCode);
        WaitForSingleObject(process_, 5000);
        killed_ = true;
    }
}

bool Session::NeedWindow(JsonWriter& json) {
    if (window_ != nullptr && IsWindow(window_)) {
        return true;
    }
    json.Key("error").Ascii(Exited() ? "the process has ended" : "no window: use wait-window");
    return false;
}

bool Session::BringToFront(JsonWriter& json) {
    bool ok = false;
    json.Key("forced_foreground").Bool(EnsureForeground(window_, &ok));
    if (!ok) {
        json.Key("error").Ascii("could not make the window the foreground window");
    }
    return ok;
}

bool Session::StepWaitWindow(const StepArgs& args, JsonWriter& json) {
    std::wstring className;
    double timeout = kDefaultWaitMs;
    for (const std::wstring& word : args.words) {
        long long number = 0;
        if (ParseNumber(word, &number)) {
            timeout = static_cast<double>(number);
        } else {
            className = word;
        }
    }
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
        timeout);
    if (!ok) {
        json.Key("error").Ascii(Exited() ? "the process ended without that window"
                                         : "timed out waiting for the window");
        return false;
    }
    window_ = found;
    json.Key("class").String(ClassName(found));
    json.Key("text").String(WindowText(found));
    return true;
}

// Input is queued, not delivered: give the target the chance to take it in
// before the next step looks at the window. A sent message is answered only
// once the thread is back in its message loop.
void Session::Settle() {
    // Waiting on the process notes the moment it ends, should the input end it.
    WaitForSingleObject(process_, 30);
    Exited();
    for (int round = 0; round < 2 && !Exited() && IsWindow(window_); ++round) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored);
    }
}

bool Session::FinishClick(POINT point, JsonWriter& json) {
    json.Key("screen_point").BeginArray().Int(point.x).Int(point.y).EndArray();
    if (!BringToFront(json)) {
        return false;
    }
    if (!ClickAt(window_, point)) {
        json.Key("error").Ascii("the click did not reach the point");
        return false;
    }
    Settle();
    return true;
}

HWND Session::ChildWithId(long long id, JsonWriter& json) {
    const HWND child = FindDescendant(window_, static_cast<int>(id));
    if (child == nullptr) {
        json.Key("error").Ascii("no child with that id");
    }
    return child;
}

bool Session::StepDump(const StepArgs&, JsonWriter& json) {
    json.Key("window");
    DumpWindow(json, window_);
    return true;
}

bool Session::StepClick(const StepArgs& args, JsonWriter& json) {
    if (args.numbers.size() == 2) {
        json.Key("error").Ascii("an offset needs DX and DY");
        return false;
    }
    const HWND child = ChildWithId(args.numbers[0], json);
    if (child == nullptr) {
        return false;
    }
    RECT rect{};
    GetWindowRect(child, &rect);
    const POINT point = args.numbers.size() == 3
                            ? POINT{rect.left + static_cast<LONG>(args.numbers[1]),
                                    rect.top + static_cast<LONG>(args.numbers[2])}
                            : CentreOf(rect);
    return FinishClick(point, json);
}

bool Session::StepClickClient(const StepArgs& args, JsonWriter& json) {
    POINT point{static_cast<LONG>(args.numbers[0]), static_cast<LONG>(args.numbers[1])};
    ClientToScreen(window_, &point);
    return FinishClick(point, json);
}

bool Session::StepDrag(const StepArgs& args, JsonWriter& json) {
    const HWND child = ChildWithId(args.numbers[0], json);
    if (child == nullptr) {
        return false;
    }
    RECT rect{};
    GetWindowRect(child, &rect);
    const POINT from = CentreOf(rect);
    POINT to{static_cast<LONG>(args.numbers[1]), static_cast<LONG>(args.numbers[2])};
    ClientToScreen(window_, &to);
    json.Key("screen_points").BeginArray().Int(from.x).Int(from.y).Int(to.x).Int(to.y).EndArray();
    if (!BringToFront(json)) {
        return false;
    }
    if (!DragFromTo(window_, from, to)) {
        json.Key("error").Ascii("the press did not reach the point");
        return false;
    }
    Settle();
    return true;
}

bool Session::StepClickClose(const StepArgs&, JsonWriter& json) {
    std::optional<POINT> point = CloseBoxPoint(window_);
    if (!point) {
        json.Key("error").Ascii("the window has no close box");
        return false;
    }
    return FinishClick(*point, json);
}

bool Session::StepKey(const StepArgs& args, JsonWriter& json) {
    std::optional<KeyChord> chord = ParseKeyChord(args.words[0]);
    if (!chord) {
        json.Key("error").Ascii("unknown key");
        return false;
    }
    if (!BringToFront(json)) {
        return false;
    }
    if (!SendKeyChord(*chord)) {
        json.Key("error").Ascii("SendInput failed");
        return false;
    }
    Settle();
    return true;
}

bool Session::StepType(const StepArgs& args, JsonWriter& json) {
    if (!BringToFront(json)) {
        return false;
    }
    if (!TypeText(args.text)) {
        json.Key("error").Ascii("SendInput failed");
        return false;
    }
    Settle();
    return true;
}

bool Session::StepPost(const StepArgs& args, JsonWriter& json) {
    if (!PostMessageW(window_, static_cast<UINT>(args.numbers[0]),
                      static_cast<WPARAM>(args.Number(1, 0)),
                      static_cast<LPARAM>(args.Number(2, 0)))) {
        json.Key("error").Ascii("PostMessageW failed");
        return false;
    }
    return true;
}

bool Session::StepSend(const StepArgs& args, JsonWriter& json) {
    // A handler that ends the process never replies, so this must not block.
    DWORD_PTR result = 0;
    const bool replied = SendMessageTimeoutW(window_, static_cast<UINT>(args.numbers[0]),
                                             static_cast<WPARAM>(args.Number(1, 0)),
                                             static_cast<LPARAM>(args.Number(2, 0)),
                                             SMTO_ABORTIFHUNG, 2000, &result) != 0;
    json.Key("replied").Bool(replied);
    json.Key("result").Int(static_cast<long long>(result));
    return true;
}

bool Session::StepForeground(const StepArgs&, JsonWriter& json) {
    return BringToFront(json);
}

struct ChildState {
    bool exists;
    bool visible;
    std::wstring text;

    bool operator==(const ChildState&) const = default;
};

ChildState ReadChild(HWND top, int id) {
    HWND child = FindDescendant(top, id);
    if (child == nullptr) {
        return {false, false, {}};
    }
    return {true, IsWindowVisible(child) != 0, WindowText(child)};
}

void WriteChildState(JsonWriter& json, const ChildState& state, std::optional<double> at) {
    json.BeginObject();
    json.Key("exists").Bool(state.exists);
    json.Key("visible").Bool(state.visible);
    json.Key("text").String(state.text);
    json.Key("at_ms");
    if (at) {
        json.Number(*at);
    } else {
        json.Null();
    }
    json.EndObject();
}

bool Session::StepWaitChange(const StepArgs& args, JsonWriter& json) {
    const long long id = args.numbers[0];
    const long long timeout = args.Number(1, kDefaultWaitMs);
    ChildState before = ReadChild(window_, static_cast<int>(id));
    json.Key("before");
    WriteChildState(json, before, SinceVisible());
    ChildState after = before;
    bool changed = WaitFor(
        [&] {
            after = ReadChild(window_, static_cast<int>(id));
            return !(after == before);
        },
        static_cast<double>(timeout));
    if (!changed) {
        json.Key("error").Ascii(Exited() ? "the process ended" : "timed out, no change");
        return false;
    }
    json.Key("after");
    WriteChildState(json, after, SinceVisible());
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
    if (!DumpInk(json, child)) {
        json.Key("error").Ascii("could not read the screen");
        return false;
    }
    return true;
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
    const double start = NowMs();
    if (WaitFor([&] { return Exited(); }, asked)) {
        return true;
    }
    timedOut_ = true;
    json.Key("waited_ms").Number(NowMs() - start);
    json.Key("threads").String(ThreadBacktraces(processId_));
    Kill();
    std::string error = "timed out";
    if (allowed < asked) {
        error += " after " + std::to_string(static_cast<long long>(allowed)) + " of the " +
                 std::to_string(timeout) + " ms asked for: the run's --timeout cut the wait short";
    }
    error += killed_ ? "; the process was killed" : "; the process ended while it was looked at";
    json.Key("error").Ascii(error);
    return false;
}

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
    {L"wait-window", "wait-window[:CLASS][:MS]", "wait for a visible top-level window",
     ArgKind::Words, 0, 2, false, &Session::StepWaitWindow},
    {L"dump", "dump", "state of that window and its children", ArgKind::Numbers, 0, 0, true,
     &Session::StepDump},
    {L"sleep", "sleep:MS", "wait, observing", ArgKind::Numbers, 1, 1, false, &Session::StepSleep},
    {L"click", "click:ID[:DX:DY]", "left click on a child, at its centre or at an offset",
     ArgKind::Numbers, 1, 3, true, &Session::StepClick},
    {L"click-client", "click-client:X:Y", "left click at client coordinates", ArgKind::Numbers, 2,
     2, true, &Session::StepClickClient},
    {L"drag", "drag:ID:X:Y", "press on a child's centre, release at client coordinates",
     ArgKind::Numbers, 3, 3, true, &Session::StepDrag},
    {L"click-close", "click-close", "left click on the close box", ArgKind::Numbers, 0, 0, true,
     &Session::StepClickClose},
    {L"key", "key:CHORD", "e.g. Enter, Esc, Shift+Tab, Down, Alt+O, Alt+F4, A", ArgKind::Words, 1,
     1, true, &Session::StepKey},
    {L"type", "type:TEXT", "type the characters of TEXT (all after the first colon)", ArgKind::Text,
     0, kAny, true, &Session::StepType},
    {L"post", "post:MSG[:WPARAM[:LPARAM]]",
     "post a message (WM_CLOSE, WM_SYSCOMMAND:SC_CLOSE, ...)", ArgKind::Values, 1, 3, true,
     &Session::StepPost},
    {L"send", "send:MSG[:WPARAM[:LPARAM]]", "send a message", ArgKind::Values, 1, 3, true,
     &Session::StepSend},
    {L"foreground", "foreground", "make the window the foreground window", ArgKind::Numbers, 0, 0,
     true, &Session::StepForeground},
    {L"wait-change", "wait-change:ID[:MS]", "wait until a child's text or visibility changes",
     ArgKind::Numbers, 1, 2, true, &Session::StepWaitChange},
    {L"watch", "watch:ID:MS", "record every change of a child for MS or until exit",
     ArgKind::Numbers, 2, 2, true, &Session::StepWatch},
    {L"ink", "ink:ID", "bounding box of what is drawn on a child, from the screen",
     ArgKind::Numbers, 1, 1, true, &Session::StepInk},
    {L"accessible", "accessible:ID", "what a screen reader reads of a child, or of the window (0)",
     ArgKind::Numbers, 1, 1, true, &Session::StepAccessible},
    {L"wait-exit", "wait-exit[:MS]",
     "wait for the process to end; on timeout the report gets winedbg's backtraces of its "
     "threads, then it is killed",
     ArgKind::Numbers, 0, 1, false, &Session::StepWaitExit},
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

bool Session::RunStep(const std::wstring& step, JsonWriter& json) {
    const std::wstring name = step.substr(0, step.find(L':'));
    json.BeginObject();
    json.Key("step").String(step);
    json.Key("started_ms");
    if (std::optional<double> since = SinceVisible()) {
        json.Number(*since);
    } else {
        json.Null();
    }
    bool ok = false;
    const StepEntry* entry = nullptr;
    for (const StepEntry& candidate : kSteps) {
        entry = name == candidate.name ? &candidate : entry;
    }
    if (entry == nullptr) {
        json.Key("error").Ascii("unknown step");
    } else if (const std::optional<StepArgs> args = ParseStepArgs(*entry, step); !args) {
        json.Key("error").Ascii(std::string("usage: ") + entry->usage);
    } else if (!entry->needsWindow || NeedWindow(json)) {
        ok = (this->*entry->run)(*args, json);
    }
    json.Key("ok").Bool(ok);
    json.EndObject();
    return ok;
}

void Session::Finish(JsonWriter& report) {
    // Nothing may outlive the run: the next test shares the display.
    if (process_ != nullptr && !Exited()) {
        Kill();
    }
    report.Key("visible_ms");
    if (visibleAt_) {
        report.Number(*visibleAt_);
    } else {
        report.Null();
    }
    report.Key("seen_windows").BeginArray();
    for (const SeenWindow& seen : seen_) {
        report.BeginObject();
        report.Key("class").String(seen.className);
        report.Key("text").String(seen.text);
        report.Key("child_ids").BeginArray();
        for (int id : seen.childIds) {
            report.Int(id);
        }
        report.EndArray();
        report.Key("at_ms").Number(seen.atMs);
        report.EndObject();
    }
    report.EndArray();
    report.Key("win_events");
    DumpWinEvents(report);
    report.Key("killed").Bool(killed_);
    report.Key("timed_out").Bool(timedOut_);
    report.Key("exit_code");
    if (exitAt_ && !killed_) {
        report.Int(exitCode_);
    } else {
        report.Null();
    }
    report.Key("exit_after_visible_ms");
    if (exitAt_ && visibleAt_ && !killed_) {
        report.Number(*exitAt_ - *visibleAt_);
    } else {
        report.Null();
    }
}

void WriteOut(HANDLE handle, const std::string& text) {
    DWORD written = 0;
    WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

struct Options {
    std::wstring exe;
    std::wstring tail;
    std::wstring attachClass;
    std::optional<std::wstring> attachTitle;
    std::optional<WORD> show;
    std::wstring outPath;
    double timeoutMs = 60000;
    std::vector<std::wstring> steps;
};

std::optional<std::wstring> ParseOptions(int argc, wchar_t** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg.rfind(L"--", 0) == 0 && !hasValue) {
            return L"missing value for " + arg;
        }
        if (arg == L"--exe") {
            options.exe = argv[++i];
        } else if (arg == L"--tail") {
            options.tail = argv[++i];
        } else if (arg == L"--tail-hex") {
            std::optional<std::wstring> tail = DecodeHex(argv[++i]);
            if (!tail) {
                return L"bad --tail-hex";
            }
            options.tail = *tail;
        } else if (arg == L"--tail-file") {
            std::optional<std::string> bytes = ReadWholeFile(argv[++i]);
            if (!bytes || bytes->size() % 2 != 0) {
                return L"cannot read --tail-file as UTF-16LE";
            }
            options.tail.assign(bytes->size() / 2, L'\0');
            memcpy(options.tail.data(), bytes->data(), bytes->size());
        } else if (arg == L"--attach-class") {
            options.attachClass = argv[++i];
        } else if (arg == L"--attach-title") {
            options.attachTitle = argv[++i];
        } else if (arg == L"--out") {
            options.outPath = argv[++i];
        } else if (arg == L"--timeout") {
            long long ms = 0;
            if (!ParseNumber(argv[++i], &ms)) {
                return L"bad --timeout";
            }
            options.timeoutMs = static_cast<double>(ms);
        } else if (arg == L"--show") {
            long long command = 0;
            if (!ParseNumber(argv[++i], &command)) {
                return L"bad --show";
            }
            options.show = static_cast<WORD>(command);
        } else if (arg == L"--steps-file") {
            std::optional<std::string> bytes = ReadWholeFile(argv[++i]);
            if (!bytes) {
                return L"cannot read --steps-file";
            }
            for (std::wstring line : Split(FromUtf8(*bytes), L'\n')) {
                if (!line.empty() && line.back() == L'\r') {
                    line.pop_back();
                }
                if (!line.empty() && line[0] != L'#') {
                    options.steps.push_back(line);
                }
            }
        } else if (arg.rfind(L"--", 0) == 0) {
            return L"unknown option " + arg;
        } else {
            options.steps.push_back(arg);
        }
    }
    if (options.exe.empty() == options.attachClass.empty()) {
        return L"give either --exe or --attach-class";
    }
    return std::nullopt;
}

bool WriteReport(const std::wstring& path, const std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        WriteOut(GetStdHandle(STD_ERROR_HANDLE),
                 "cannot write the report (error " + std::to_string(GetLastError()) + ")\n");
        return false;
    }
    WriteOut(file, text);
    CloseHandle(file);
    return true;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    Options options;
    if (std::optional<std::wstring> problem = ParseOptions(argc, argv, options)) {
        std::string message(problem->begin(), problem->end());
        std::string usage = message + "\n" + kUsage;
        for (const StepEntry& step : kSteps) {
            usage += "  " + std::string(step.usage) + ": " + step.help + "\n";
        }
        WriteOut(GetStdHandle(STD_ERROR_HANDLE), usage);
        return 2;
    }

    // An empty report first: a harness that finds no file at all knows that
    // the driver never ran (Wine failed to start it), not that it died.
    if (!options.outPath.empty() && !WriteReport(options.outPath, "")) {
        return 2;
    }

    // Coordinates in physical pixels, whatever the display's scaling.
    SetProcessDPIAware();
    // The accessibility objects of the program under test come through COM.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    QueryPerformanceFrequency(&g_frequency);
    QueryPerformanceCounter(&g_origin);

    JsonWriter report;
    report.BeginObject();
    report.Key("screen");
    DumpScreen(report);

    Session session;
    session.SetDeadline(options.timeoutMs);
    bool ok = options.attachClass.empty()
                  ? session.Start(options.exe, options.tail, options.show, report)
                  : session.Attach(options.attachClass,
                                   options.attachTitle ? &*options.attachTitle : nullptr, report);
    report.Key("started").Bool(ok);
    report.Key("steps").BeginArray();
    for (size_t i = 0; ok && i < options.steps.size(); ++i) {
        ok = session.RunStep(options.steps[i], report);
    }
    report.EndArray();
    report.Key("ok").Bool(ok);
    session.Finish(report);
    report.EndObject();

    std::string text = report.Text() + "\n";
    WriteOut(GetStdHandle(STD_OUTPUT_HANDLE), text);
    if (!options.outPath.empty() && !WriteReport(options.outPath, text)) {
        return 2;
    }
    return ok ? 0 : 1;
}
