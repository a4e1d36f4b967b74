#include "platform/win32/user_session.h"

#include "platform/win32/system_functions.h"
#include "platform/win32/win32_handles.h"
#include "startup/exit_codes.h"
#include "startup/unseen_run.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The desktop that the logged-on user sees. Only the copy, in the user's
// own session and with the user's own token, goes there: a window of this
// process on that desktop could be driven by any program the user runs.
constexpr wchar_t kUsersDesktop[] = L"winsta0\\default";

std::optional<std::uint32_t> ConsoleSession() {
    const DWORD session = WTSGetActiveConsoleSessionId();
    return session != 0xFFFFFFFF ? std::optional<std::uint32_t>(session) : std::nullopt;
}

std::vector<std::uint32_t> ActiveSessions(const SessionFunctions& wts) {
    WTS_SESSION_INFOW* sessions = nullptr;
    DWORD count = 0;
    std::vector<std::uint32_t> active;
    if (!wts.wtsEnumerateSessions(WTS_CURRENT_SERVER_HANDLE, 0, 1, &sessions, &count)) {
        return active;
    }
    const auto freeSessions = [&wts](WTS_SESSION_INFOW* memory) { wts.wtsFreeMemory(memory); };
    const std::unique_ptr<WTS_SESSION_INFOW, decltype(freeSessions)> owned(sessions, freeSessions);
    for (DWORD i = 0; i < count; ++i) {
        if (sessions[i].State == WTSActive) {
            active.push_back(sessions[i].SessionId);
        }
    }
    return active;
}

std::wstring ThisProgramsPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// The user's own environment, as their logon gives it, with the variable
// that names the waiting process; without the service's variables.
std::vector<wchar_t> CopysEnvironment(const SessionFunctions& wts, HANDLE token,
                                      const WaitingProcess& waiting) {
    void* block = nullptr;
    if (!wts.createEnvironmentBlock(&block, token, FALSE)) {
        return {};
    }
    const auto destroy = [&wts](void* memory) { wts.destroyEnvironmentBlock(memory); };
    const std::unique_ptr<void, decltype(destroy)> owned(block, destroy);
    const std::wstring prefix = std::wstring(kWaitingProcessVariable) + L'=';
    std::vector<wchar_t> environment;
    for (const wchar_t* entry = static_cast<const wchar_t*>(block); *entry != L'\0';) {
        const std::wstring_view text(entry);
        if (CompareStringOrdinal(
                text.data(), static_cast<int>(std::min(text.size(), prefix.size())), prefix.data(),
                static_cast<int>(prefix.size()), TRUE) != CSTR_EQUAL) {
            environment.insert(environment.end(), text.begin(), text.end());
            environment.push_back(L'\0');
        }
        entry += text.size() + 1;
    }
    const std::wstring own = prefix + WaitingProcessValue(waiting);
    environment.insert(environment.end(), own.begin(), own.end());
    environment.push_back(L'\0');
    environment.push_back(L'\0');
    return environment;
}

// Starts the copy as the token's user; its only inherited handle is
// `watch`, which lets it see this process end.
UniqueHandle StartCopy(const SessionFunctions& wts, HANDLE token, HANDLE watch) {
    const std::wstring program = ThisProgramsPath();
    std::vector<wchar_t> environment = CopysEnvironment(
        wts, token, {GetCurrentProcessId(), reinterpret_cast<std::uintptr_t>(watch)});
    if (program.empty() || environment.empty()) {
        return {};
    }
    std::wstring commandLine = GetCommandLineW();
    std::wstring desktop = kUsersDesktop;

    // The handle list keeps every other inheritable handle of this process
    // (the script's standard handles, a deployment agent's pipes) out of
    // the copy.
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<char> listMemory(size);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(listMemory.data());
    if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) {
        return {};
    }
    const auto deleteList = [](LPPROC_THREAD_ATTRIBUTE_LIST memory) {
        DeleteProcThreadAttributeList(memory);
    };
    const std::unique_ptr<_PROC_THREAD_ATTRIBUTE_LIST, decltype(deleteList)> ownedList(list,
                                                                                       deleteList);
    if (!UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &watch, sizeof watch,
                                   nullptr, nullptr)) {
        return {};
    }

    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.lpDesktop = desktop.data();
    // No standard handles: the copy has nothing to read or write.
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.lpAttributeList = list;
    // The user may not read the service's current folder; System32 every
    // user can.
    wchar_t folder[MAX_PATH];
    const UINT folderLength = GetSystemDirectoryW(folder, MAX_PATH);
    // A process of a job runs in the job's session only: the copy leaves the
    // job, where the job allows it, or it cannot start.
    const DWORD flags =
        CREATE_UNICODE_ENVIRONMENT | EXTENDED_STARTUPINFO_PRESENT | CREATE_BREAKAWAY_FROM_JOB;
    PROCESS_INFORMATION started{};
    if (!CreateProcessAsUserW(token, program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                              flags, environment.data(),
                              folderLength > 0 && folderLength < MAX_PATH ? folder : nullptr,
                              &startup.StartupInfo, &started)) {
        return {};
    }
    CloseHandle(started.hThread);
    return UniqueHandle(started.hProcess);
}

} // namespace

std::optional<std::uint32_t> AskTheUser() {
    const SessionFunctions* wts = Sessions();
    if (wts == nullptr) {
        return std::nullopt;
    }
    // Windows decides who may do this: WTSQueryUserToken needs the trusted
    // computing base privilege, which only LocalSystem holds, and it fails
    // for a session where nobody is logged on.
    UniqueHandle token;
    for (const std::uint32_t session : SessionsToAsk(ConsoleSession(), ActiveSessions(*wts))) {
        if (wts->wtsQueryUserToken(session, token.put())) {
            break;
        }
    }
    if (token.get() == nullptr) {
        return std::nullopt;
    }
    // All the copy may do with this process is wait for it, and check that
    // the handle is this process's (GetProcessId needs the limited query).
    UniqueHandle watch;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), watch.put(),
                         SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0)) {
        return std::nullopt;
    }
    const UniqueHandle copy = StartCopy(*wts, token.get(), watch.get());
    if (copy.get() == nullptr) {
        return std::nullopt;
    }
    DWORD code = exit_code::kFailed;
    if (WaitForSingleObject(copy.get(), INFINITE) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(copy.get(), &code)) {
        return exit_code::kFailed;
    }
    return code;
}

bool IsCopyForWaitingProcess() {
    return GetEnvironmentVariableW(kWaitingProcessVariable, nullptr, 0) > 0;
}

HANDLE WaitingProcessToWatch() {
    static const UniqueHandle watched = [] {
        wchar_t value[64] = {};
        const DWORD length = GetEnvironmentVariableW(kWaitingProcessVariable, value, 64);
        const std::optional<WaitingProcess> waiting =
            length > 0 && length < 64 ? ParseWaitingProcess(value) : std::nullopt;
        if (!waiting) {
            return UniqueHandle();
        }
        // Only a handle that really is the named process is watched: a wrong
        // value, or one that names some other object of this process, is
        // left alone.
        const auto handle = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(waiting->handle));
        if (GetProcessId(handle) != waiting->processId) {
            return UniqueHandle();
        }
        return UniqueHandle(handle);
    }();
    return watched.get();
}

bool HasWaitingProcessEnded() {
    const HANDLE waiting = WaitingProcessToWatch();
    return waiting != nullptr && WaitForSingleObject(waiting, 0) == WAIT_OBJECT_0;
}
