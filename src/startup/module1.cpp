#include "startup/module1.h"

#include "platform/win32/dialog_window.h"
#include "platform/win32/process.h"
#include "platform/win32/window_station.h"
#include "startup/command_line_parser.h"
#include "startup/exit_codes.h"
#include "startup/unseen_run.h"
#include "startup/usage_text.h"

DialogWindow& Main() {
    SwitchTable switchTable;
    ParseCommandLine(ProcessCommandLineTail(), switchTable);
    const DialogSetup setup = SetUpFromSwitches(switchTable);
    if (const std::optional<unsigned> code = ExitCodeWhenUnseen(setup, CanWindowsBeSeen())) {
        EndProcess(*code);
    }

    DialogWindow* frmScelta = DialogWindow::Load(setup);
    // Without a window there is nothing to choose from: the script gets the
    // code that tells it something went wrong.
    if (frmScelta == nullptr) {
        EndProcess(exit_code::kFailed);
    }
    if (frmScelta->NumOptions() > 0) {
        frmScelta->Show();
        return *frmScelta;
    }
    ShowUsageBox(UsageText());
    EndProcess(exit_code::kUsageShown);
}
