#include "startup/unseen_run.h"

#include "startup/exit_codes.h"

#include <limits>
#include <string>

RunPlan PlanRun(const DialogSetup& setup, bool windowsCanBeSeen, bool mayAskTheUser) {
    if (windowsCanBeSeen) {
        return RunPlan::ShowHere;
    }
    // The usage box tells the script's author, not the user, what is wrong.
    if (setup.NumOptions() == 0) {
        return RunPlan::EndWithError;
    }
    if (mayAskTheUser) {
        return RunPlan::AskTheUser;
    }
    // A selected row is always one of the rows shown.
    const bool endsByItself = setup.SecondsLeft > 0 && setup.preselectedRow.has_value();
    return endsByItself ? RunPlan::CountDownUnseen : RunPlan::EndWithError;
}

std::vector<std::uint32_t> SessionsToAsk(std::optional<std::uint32_t> consoleSession,
                                         const std::vector<std::uint32_t>& activeSessions) {
    std::vector<std::uint32_t> sessions;
    if (consoleSession) {
        sessions.push_back(*consoleSession);
    }
    if (activeSessions.size() == 1 && activeSessions.front() != consoleSession) {
        sessions.push_back(activeSessions.front());
    }
    return sessions;
}

std::uint32_t CopyExitCode(unsigned exitCode) {
    return kCopyExitMark | exitCode;
}

unsigned ExitCodeFromCopy(std::uint32_t copyExitCode, int numOptions) {
    if ((copyExitCode & ~std::uint32_t{0xFF}) != kCopyExitMark) {
        return exit_code::kFailed;
    }
    const unsigned code = copyExitCode & 0xFF;
    const bool dialogsCode =
        code == exit_code::kCancelled || code == exit_code::kFailed ||
        (code >= exit_code::kFirstOption && code <= static_cast<unsigned>(numOptions));
    return dialogsCode ? code : exit_code::kFailed;
}

namespace {

// By hand rather than with std::to_wstring and std::from_chars, which bring
// a printf family of their own into the executable.
std::wstring Decimal(std::uint64_t number) {
    std::wstring digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' + number % 10));
        number /= 10;
    } while (number != 0);
    return digits;
}

// Decimal digits only, with no sign, space or leading zero.
template <typename Number> std::optional<Number> ParseDecimal(std::wstring_view text) {
    if (text.empty() || (text.size() > 1 && text.front() == L'0')) {
        return std::nullopt;
    }
    Number number = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') {
            return std::nullopt;
        }
        const auto digit = static_cast<Number>(c - L'0');
        if (number > (std::numeric_limits<Number>::max() - digit) / 10) {
            return std::nullopt;
        }
        number = number * 10 + digit;
    }
    return number;
}

} // namespace

std::wstring WaitingProcessValue(const WaitingProcess& waiting) {
    return Decimal(waiting.processId) + L':' + Decimal(waiting.handle);
}

std::optional<WaitingProcess> ParseWaitingProcess(std::wstring_view value) {
    const std::size_t colon = value.find(L':');
    if (colon == std::wstring_view::npos) {
        return std::nullopt;
    }
    const auto processId = ParseDecimal<std::uint32_t>(value.substr(0, colon));
    const auto handle = ParseDecimal<std::uint64_t>(value.substr(colon + 1));
    if (!processId || !handle || *processId == 0 || *handle == 0) {
        return std::nullopt;
    }
    return WaitingProcess{*processId, *handle};
}
