#include "dialog/dialog_controls.h"

#include "dialog/control_ids.h"

std::vector<DialogControl> ControlTable(const DialogSetup& setup) {
    const DialogGeometry g = LayoutFor(setup.NumOptions());
    const int tabRow = setup.preselectedRow.value_or(0);

    std::vector<DialogControl> table;
    table.push_back({kIdTesto, ControlKind::Label, setup.prompt, g.lblTesto});
    table.push_back({kIdFrame, ControlKind::Frame, L"", g.frmSceltaFrame, true, true, false, true});
    for (int i = 0; i < kMaxOptions; ++i) {
        const bool shown = i < setup.NumOptions();
        table.push_back({kIdFirstOption + i, ControlKind::OptionRow, shown ? setup.options[i] : L"",
                         g.optScelta[i], shown, shown, shown && i == tabRow, i == 0});
    }
    table.push_back(
        {kIdOk, ControlKind::DefaultButton, kOkCaption, g.cmdOk, true, true, true, true});
    table.push_back(
        {kIdAnnulla, ControlKind::Button, kAnnullaCaption, g.cmdAnnulla, true, true, true, false});
    table.push_back({kIdTempo, ControlKind::RightLabel, kTempoCaptionAtCreation, g.lblTempo, false,
                     true, false, true});
    return table;
}

int FirstFocusId(const DialogSetup& setup) {
    return setup.preselectedRow ? kIdFirstOption + *setup.preselectedRow : kIdOk;
}

int RowOfControl(int id) {
    return id >= kIdFirstOption && id < kIdFirstOption + kMaxOptions ? id - kIdFirstOption : -1;
}
