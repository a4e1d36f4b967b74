#include "platform/show_state.h"

ShowState InitialShowState(std::optional<int> launcherCommand) {
    switch (launcherCommand.value_or(show_command::kShowNormal)) {
    case show_command::kShowMinimized:
    case show_command::kMinimize:
    case show_command::kShowMinNoActive:
    case show_command::kForceMinimize:
        return ShowState::Minimized;
    default:
        return ShowState::Normal;
    }
}

bool IsAcceptableShowState(ShowState wanted, ShowState seen) {
    return seen == ShowState::Normal || (seen == ShowState::Minimized && seen == wanted);
}

int CorrectingShowCommand(ShowState wanted) {
    // Minimized without taking the activation from the user's window.
    return wanted == ShowState::Minimized ? show_command::kShowMinNoActive
                                          : show_command::kShowNormal;
}
