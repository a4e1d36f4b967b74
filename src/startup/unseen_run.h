#pragma once

#include "dialog/dialog_setup.h"

#include <optional>

// The exit code with which a run must end before it shows any window, or
// none when it goes on as usual. Where nobody can see a window (a service, a
// task that runs whether the user is logged on or not), the only run that
// can end by itself is a countdown that will take a selected option; the
// dialog without one, or the usage box, would keep the script waiting for
// ever, so such a run ends at once with the error code.
std::optional<unsigned> ExitCodeWhenUnseen(const DialogSetup& setup, bool windowsCanBeSeen);
