#include "session.h"

#include "accessibility_probe.h"
#include "input.h"
#include "window_info.h"

namespace {

constexpr DWORD kPollMs = 10;
constexpr UINT kKilledExitCode = 0xE2E0DEAD;

std::vector<int> ChildIds(HWND window) {
    std::vector<int> ids;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        ids.push_back(GetDlgCtrlID(child));
    }
    return ids;
}

} // namespace

Session::Session(double deadlineMs) : deadlineMs_(deadlineMs) {
    QueryPerformanceFrequency(&frequency_);
    ResetClock();
}

double Session::NowMs() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - origin_.QuadPart) * 1000.0 /
           static_cast<double>(frequency_.QuadPart);
}

void Session::ResetClock() {
    QueryPerformanceCounter(&origin_);
}

double Session::Budget(double requestedMs) const {
    double left = deadlineMs_ - NowMs();
    return requestedMs < left ? requestedMs : (left > 0 ? left : 0);
}

std::optional<double> Session::SinceVisible() const {
    return visibleAt_ ? std::optional(NowMs() - *visibleAt_) : std::nullopt;
}

std::optional<std::wstring> Session::CreateOwnStation(JsonWriter& report) {
    const std::wstring name = L"TolvaneE2E" + std::to_wstring(GetCurrentProcessId());
    station_ = CreateWindowStationW(name.c_str(), 0, WINSTA_ALL_ACCESS, nullptr);
    if (station_ == nullptr) {
        Fail(report, "CreateWindowStationW failed with error " + std::to_string(GetLastError()));
        return std::nullopt;
    }
    // A desktop is made in the caller's window station, so the driver moves
    // there just for that; its own windows stay where they are.
    const HWINSTA original = GetProcessWindowStation();
    if (SetProcessWindowStation(station_)) {
        desktop_ = CreateDesktopW(L"Desktop", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        const DWORD error = GetLastError();
        SetProcessWindowStation(original);
        SetLastError(error);
    }
    if (desktop_ == nullptr) {
        Fail(report,
             "no desktop in the own window station (error " + std::to_string(GetLastError()) + ")");
        return std::nullopt;
    }
    return name + L"\\Desktop";
}

bool Session::Start(const Options& options, JsonWriter& report) {
    std::wstring commandLine = L"\"" + options.exe + L"\"";
    if (!options.tail.empty()) {
        commandLine += L" " + options.tail;
    }
    report.Key("command_line").String(commandLine);
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (options.show) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = *options.show;
    }
    std::optional<std::wstring> desktop;
    if (options.ownStation) {
        desktop = CreateOwnStation(report);
        if (!desktop) {
            return false;
        }
        startup.lpDesktop = desktop->data();
    }
    if (!options.refusedControl.empty()) {
        // For the whole desktop: the program's process loads the hook's DLL.
        SetEnvironmentVariableW(L"TOLVANE_REFUSED_CONTROL", options.refusedControl.c_str());
        const HMODULE hook = LoadLibraryW(L"tolvane_refusing_hook.dll");
        const auto proc = reinterpret_cast<HOOKPROC>(
            reinterpret_cast<void*>(GetProcAddress(hook, "RefuseControl")));
        if (proc == nullptr || SetWindowsHookExW(WH_CBT, proc, hook, 0) == nullptr) {
            return Fail(report, "cannot set the refusing hook");
        }
    }
    PROCESS_INFORMATION info{};
    // Wine now and then loses a new process while it is still starting up
    // and fails the start with ERROR_INTERNAL_ERROR (a `wine` command ends
    // with status 1 then): that start is made once more.
    int starts = 0;
    BOOL created = FALSE;
    do {
        ++starts;
        ResetClock();
        created = CreateProcessW(options.exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0,
                                 nullptr, nullptr, &startup, &info);
    } while (!created && GetLastError() == ERROR_INTERNAL_ERROR && starts < 2);
    if (!created) {
        return Fail(report, "CreateProcessW failed with error " + std::to_string(GetLastError()));
    }
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    StartWinEventRecording(processId_, [this] { return SinceVisible().value_or(-1); });
    return true;
}

bool Session::Attach(const Options& options, JsonWriter& report) {
    const wchar_t* title = options.attachTitle ? options.attachTitle->c_str() : nullptr;
    ResetClock();
    while (NowMs() < deadlineMs_) {
        HWND found = nullptr;
        while ((found = FindWindowExW(nullptr, found, options.attachClass.c_str(), title)) !=
               nullptr) {
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
                return Fail(report, "OpenProcess failed");
            }
            Observe();
            return true;
        }
        Sleep(kPollMs);
    }
    return Fail(report, "no window to attach to");
}

void Session::Observe() {
    // A copy that the program starts shows the windows in its place.
    std::vector<HWND> windows = VisibleTopLevelWindows(processId_);
    for (const DWORD child : ChildProcesses(processId_)) {
        const std::vector<HWND> more = VisibleTopLevelWindows(child);
        windows.insert(windows.end(), more.begin(), more.end());
    }
    for (HWND window : windows) {
        bool known = false;
        for (const SeenWindow& seen : seen_) {
            known = known || seen.window == window;
        }
        if (!known) {
            if (!visibleAt_) {
                visibleAt_ = NowMs();
            }
            seen_.push_back({window, ClassName(window), ChildIds(window)});
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

bool Session::WaitFor(const std::function<bool()>& done, double timeoutMs) {
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
        TakeInMessages();
    }
}

void Session::TakeInMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&msg);
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
    return Fail(json, Exited() ? "the process has ended" : "no window: use wait-window");
}

bool Session::Deliver(const std::function<bool()>& send, const char* failure, JsonWriter& json) {
    if (!EnsureForeground(window_)) {
        return Fail(json, "could not make the window the foreground window");
    }
    if (!send()) {
        return Fail(json, failure);
    }
    Settle();
    return true;
}

// Input is queued, not delivered: give the target the chance to take it in
// before the next step looks at the window.
void Session::Settle() {
    // Waiting on the process notes the moment it ends, should the input end it.
    WaitForSingleObject(process_, 30);
    if (!Exited() && IsWindow(window_)) {
        RoundTrip(window_, 2);
    }
}

HWND Session::ChildWithId(long long id, JsonWriter& json) {
    const HWND child = FindDescendant(window_, static_cast<int>(id));
    if (child == nullptr) {
        Fail(json, "no child with that id");
    }
    return child;
}

void Session::Finish(JsonWriter& report) {
    // Nothing may outlive the run: the next test shares the display.
    if (process_ != nullptr && !Exited()) {
        Kill();
    }
    report.Key("seen_windows").BeginArray();
    for (const SeenWindow& seen : seen_) {
        report.BeginObject();
        report.Key("class").String(seen.className);
        report.Key("child_ids").BeginArray();
        for (int id : seen.childIds) {
            report.Int(id);
        }
        report.EndArray();
        report.EndObject();
    }
    report.EndArray();
    report.Key("win_events");
    DumpWinEvents(report);
    report.Key("killed").Bool(killed_);
    report.Key("timed_out").Bool(timedOut_);
    const bool ended = exitAt_ && !killed_;
    report.Key("exit_code").IntOrNull(ended ? std::optional<long long>(exitCode_) : std::nullopt);
    report.Key("exit_ms").NumberOrNull(ended ? exitAt_ : std::nullopt);
    report.Key("exit_after_visible_ms")
        .NumberOrNull(ended && visibleAt_ ? std::optional(*exitAt_ - *visibleAt_) : std::nullopt);
    if (desktop_ != nullptr) {
        CloseDesktop(desktop_);
    }
    if (station_ != nullptr) {
        CloseWindowStation(station_);
    }
}
