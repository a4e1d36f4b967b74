// Times programs under test with the performance counter: from CreateProcessW
// to the first visible top-level window of the new process, and to its exit.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

const char kUsage[] =
    "usage: tolvane_stopwatch startup RUNS EXE_A TAIL_A EXE_B TAIL_B\n"
    "         after one warm-up each, RUNS rounds of A and B (order swapped every\n"
    "         round), each ended as soon as its window shows; prints \"A ms\" or\n"
    "         \"B ms\" per run\n"
    "       tolvane_stopwatch exit EXE TAIL\n"
    "         one run left to end by itself; prints \"visible_ms exit_ms exit_code\"\n";

constexpr DWORD kWindowTimeoutMs = 30000;
constexpr DWORD kExitTimeoutMs = 400000; // longer than the longest countdown
constexpr DWORD kPollMs = 1;
constexpr DWORD kSettleMs = 300; // lets the last process's windows go away

double g_msPerCount = 0;

double NowMs() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * g_msPerCount;
}

struct Run {
    PROCESS_INFORMATION process{};
    double startMs = 0;
};

bool Start(const wchar_t* exe, const wchar_t* tail, Run& run) {
    std::wstring commandLine = L"\"" + std::wstring(exe) + L"\" " + tail;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    run.startMs = NowMs();
    return CreateProcessW(exe, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &run.process) != FALSE;
}

struct WindowSearch {
    DWORD processId;
    bool found;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds from the start to the first visible top-level window, read
// after the search that saw it; negative when the process ended or timed out
// first.
double WaitVisible(const Run& run) {
    WindowSearch search{run.process.dwProcessId, false};
    for (;;) {
        EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
        const double elapsed = NowMs() - run.startMs;
        if (search.found) {
            return elapsed;
        }
        if (elapsed > kWindowTimeoutMs ||
            WaitForSingleObject(run.process.hProcess, kPollMs) == WAIT_OBJECT_0) {
            return -1;
        }
    }
}

void Finish(Run& run, bool terminate) {
    if (terminate) {
        TerminateProcess(run.process.hProcess, 0);
    }
    WaitForSingleObject(run.process.hProcess, kWindowTimeoutMs);
    CloseHandle(run.process.hThread);
    CloseHandle(run.process.hProcess);
    Sleep(kSettleMs);
}

// One start-up, ended as soon as its window shows; negative on failure.
double TimeStartup(const wchar_t* exe, const wchar_t* tail) {
    Run run;
    if (!Start(exe, tail, run)) {
        std::fprintf(stderr, "cannot start %ls (error %lu)\n", exe, GetLastError());
        return -1;
    }
    const double visibleMs = WaitVisible(run);
    Finish(run, true);
    if (visibleMs < 0) {
        std::fprintf(stderr, "%ls showed no window\n", exe);
    }
    return visibleMs;
}

int CompareStartups(int runs, const wchar_t* exeA, const wchar_t* tailA, const wchar_t* exeB,
                    const wchar_t* tailB) {
    // The first start of each pays for loading things into the caches.
    if (TimeStartup(exeA, tailA) < 0 || TimeStartup(exeB, tailB) < 0) {
        return 1;
    }
    for (int round = 0; round < runs; ++round) {
        const bool aFirst = round % 2 == 0;
        for (int i = 0; i < 2; ++i) {
            const bool isA = aFirst == (i == 0);
            const double ms = isA ? TimeStartup(exeA, tailA) : TimeStartup(exeB, tailB);
            if (ms < 0) {
                return 1;
            }
            std::printf("%c %.3f\n", isA ? 'A' : 'B', ms);
            std::fflush(stdout);
        }
    }
    return 0;
}

int Exit(const wchar_t* exe, const wchar_t* tail) {
    Run run;
    if (!Start(exe, tail, run)) {
        std::fprintf(stderr, "cannot start %ls (error %lu)\n", exe, GetLastError());
        return 1;
    }
    const double visibleMs = WaitVisible(run);
    const bool ended = WaitForSingleObject(run.process.hProcess, kExitTimeoutMs) == WAIT_OBJECT_0;
    const double exitMs = NowMs() - run.startMs;
    DWORD code = 0;
    GetExitCodeProcess(run.process.hProcess, &code);
    Finish(run, !ended);
    if (visibleMs < 0 || !ended) {
        std::fprintf(stderr, "%ls: %s\n", exe, visibleMs < 0 ? "no window" : "did not end");
        return 1;
    }
    std::printf("%.3f %.3f %lu\n", visibleMs, exitMs, code);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    g_msPerCount = 1000.0 / static_cast<double>(frequency.QuadPart);

    if (argc == 7 && std::wcscmp(argv[1], L"startup") == 0) {
        const int runs = static_cast<int>(std::wcstol(argv[2], nullptr, 10));
        if (runs > 0) {
            return CompareStartups(runs, argv[3], argv[4], argv[5], argv[6]);
        }
    } else if (argc == 4 && std::wcscmp(argv[1], L"exit") == 0) {
        return Exit(argv[2], argv[3]);
    }
    std::fputs(kUsage, stderr);
    return 2;
}
