#include "startup/unseen_run.h"

#include "startup/exit_codes.h"

std::optional<unsigned> ExitCodeWhenUnseen(const DialogSetup& setup, bool windowsCanBeSeen) {
    // A selected row is always one of the rows shown, so this also covers
    // the usage box, which comes when there are none.
    const bool endsByItself = setup.SecondsLeft > 0 && setup.preselectedRow.has_value();
    if (windowsCanBeSeen || endsByItself) {
        return std::nullopt;
    }
    return exit_code::kFailed;
}
