#include "startup/module1.h"

#include "platform/win32/dialog_window.h"
#include "platform/win32/process.h"
#include "platform/win32/user_session.h"
#include "platform/win32/window_station.h"
#include "startup/command_line_parser.h"
#include "startup/exit_codes.h"
#include "startup/unseen_run.h"
#include "startup/usage_text.h"

DialogWindow& Main() {
    SwitchTable switchTable;
    ParseCommandLine(ProcessCommandLineTail(), switchTable);
    const DialogSetup setup = SetUpFromSwitches(switchTable);

    // A copy whose script has gone already has nobody to answer to.
    const bool isCopy = IsCopyForWaitingProcess();
    if (isCopy && HasWaitingProcessEnded()) {
        EndProcess(exit_code::kCancelled);
    }
    RunPlan plan = PlanRun(setup, CanWindowsBeSeen(), !isCopy);
    if (plan == RunPlan::AskTheUser) {
        if (const std::optional<std::uint32_t> code = AskTheUser()) {
            EndProcess(ExitCodeFromCopy(*code, setup.NumOptions()));
        }
        plan = PlanRun(setup, false, false);
    }
    if (plan == RunPlan::EndWithError) {
        EndProcess(exit_code::kFailed);
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
