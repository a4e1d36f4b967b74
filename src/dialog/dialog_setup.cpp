#include "dialog/dialog_setup.h"

#include "platform/text_services.h"

namespace {

// A number that is out of range, or does not fit 32 bits at all, falls back
// to `fallback` rather than ending the program.
std::int32_t InRangeOr(std::optional<std::int32_t> number, std::int32_t low, std::int32_t high,
                       std::int32_t fallback) {
    return number && *number >= low && *number <= high ? *number : fallback;
}

} // namespace

DialogSetup SetUpFromSwitches(const SwitchTable& table) {
    DialogSetup setup;
    std::int32_t DefaultIndex = 0;

    for (std::size_t i = 1; i < table.size(); ++i) {
        const std::wstring name = UpperCase(table[i].Name);
        const std::wstring& value = table[i].Value;
        if (name == L"TITLE") {
            setup.caption = value;
        } else if (name == L"TEXT") {
            setup.prompt = value;
        } else if (name == L"OPTION") {
            if (setup.NumOptions() < kMaxOptions) {
                setup.options.push_back(value);
            }
        } else if (name == L"DEFAULT") {
            DefaultIndex =
                InRangeOr(NearestInt32(LeadingNumber(value) - 1.0), 0, kMaxOptions - 1, 0);
        } else if (name == L"TIMEOUT") {
            setup.SecondsLeft =
                InRangeOr(NearestInt32(LeadingNumber(value)), 1, kMaxTimeoutSeconds, 0);
        }
    }

    // Only the rows shown can be selected.
    if (DefaultIndex < setup.NumOptions()) {
        setup.preselectedRow = DefaultIndex;
    }
    return setup;
}

std::wstring CountdownText(std::int32_t seconds) {
    return NumberText(seconds);
}
