#include "backtraces.h"

#include "options.h"

#include <tlhelp32.h>

#include <string>

namespace {

// How often the pipe is looked at while winedbg works.
constexpr DWORD kPollMs = 10;

} // namespace

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
