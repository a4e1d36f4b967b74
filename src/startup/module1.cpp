#include "startup/module1.h"

#include "platform/dialog_window.h"
#include "platform/process.h"
#include "startup/command_line_parser.h"
#include "startup/exit_codes.h"
#include "startup/usage_text.h"

void Main() {
    // Written once here and read once by the dialog's set-up.
    static SwitchTable switchTable;
    ParseCommandLine(ProcessCommandLineTail(), switchTable);

    DialogWindow* frmScelta = DialogWindow::Load(switchTable);
    // Without a window there is nothing to choose from: the script gets the
    // code that tells it something went wrong.
    if (frmScelta == nullptr) {
        EndProcess(exit_code::kFailed);
    }
    if (frmScelta->NumOptions() > 0) {
        frmScelta->Show();
        return;
    }
    ShowUsageBox(UsageText());
    EndProcess(exit_code::kUsageShown);
}
