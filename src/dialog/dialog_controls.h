#pragma once

#include "dialog/dialog_layout.h"
#include "dialog/dialog_setup.h"

#include <string>
#include <vector>

// The kinds of control that make up the dialog.
enum class ControlKind {
    Label,         // lblTesto: lines centred, broken at word boundaries
    RightLabel,    // lblTempo: text against the right edge
    Frame,         // the frame frmScelta: a box with no caption
    OptionRow,     // a row of optScelta: a radio button that checks itself
    DefaultButton, // cmdOk: Enter presses it
    Button,        // cmdAnnulla
};

// One control of the dialog as it is created.
struct DialogControl {
    int id = 0;
    ControlKind kind = ControlKind::Label;
    std::wstring text;
    TwipsRect rect; // in the client area
    bool visible = true;
    bool enabled = true;
    bool tabStop = false;     // Tab stops on it
    bool startsGroup = false; // the first of a group that the arrow keys move within

    bool operator==(const DialogControl&) const = default;
};

// Every control of the dialog for this run, in tab order. The rows not shown
// stay hidden, disabled and empty; the rows are one group and one tab stop,
// on the selected row or else the first.
std::vector<DialogControl> ControlTable(const DialogSetup& setup);

// The control that has the focus when the dialog first shows: the selected
// row, or OK when no row is selected, since Windows checks an unchecked
// radio button that gets the focus, which would pick a row.
int FirstFocusId(const DialogSetup& setup);

// The row (0 to 9) of a control id, or -1 for any other control.
int RowOfControl(int id);
