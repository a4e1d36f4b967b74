#include "dialog/control_ids.h"
#include "dialog/dialog_controls.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

DialogSetup SetupWith(int options, std::optional<int> preselected) {
    DialogSetup setup;
    for (int i = 1; i <= options; ++i) {
        setup.options.push_back(L"Scelta" + std::to_wstring(i));
    }
    setup.preselectedRow = preselected;
    return setup;
}

int Row(int i) {
    return kIdFirstOption + i;
}

struct TableCase {
    int options;
    std::optional<int> preselected;
    std::vector<int> tabStops; // the controls Tab stops on, in order
    int firstFocus;
};

TEST(ControlTable, TabOrderTabStopsAndFirstFocus) {
    const std::vector<TableCase> cases = {
        {3, 1, {Row(1), kIdOk, kIdAnnulla}, Row(1)},
        {3, 0, {Row(0), kIdOk, kIdAnnulla}, Row(0)},
        // No row selected: the group's tab stop is on the first row, but the
        // focus starts on OK.
        {3, std::nullopt, {Row(0), kIdOk, kIdAnnulla}, kIdOk},
        {10, 9, {Row(9), kIdOk, kIdAnnulla}, Row(9)},
        {1, 0, {Row(0), kIdOk, kIdAnnulla}, Row(0)},
        {0, std::nullopt, {kIdOk, kIdAnnulla}, kIdOk},
    };
    for (const TableCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.options << " options");
        const DialogSetup setup = SetupWith(c.options, c.preselected);
        const std::vector<DialogControl> table = ControlTable(setup);

        std::vector<int> ids;
        std::vector<int> tabStops;
        for (const DialogControl& control : table) {
            ids.push_back(control.id);
            if (control.tabStop && control.visible && control.enabled) {
                tabStops.push_back(control.id);
            }
        }
        std::vector<int> order = {kIdTesto, kIdFrame};
        for (int i = 0; i < kMaxOptions; ++i) {
            order.push_back(Row(i));
        }
        order.insert(order.end(), {kIdOk, kIdAnnulla, kIdTempo});
        EXPECT_EQ(ids, order);
        EXPECT_EQ(tabStops, c.tabStops);
        EXPECT_EQ(FirstFocusId(setup), c.firstFocus);
    }
}

TEST(ControlTable, RowsShownCarryTheOptionsTheOthersStayHiddenDisabledAndEmpty) {
    const DialogSetup setup = SetupWith(3, 0);
    const DialogGeometry g = LayoutFor(3);
    for (const DialogControl& control : ControlTable(setup)) {
        const int row = RowOfControl(control.id);
        if (row < 0) {
            continue;
        }
        SCOPED_TRACE(row);
        EXPECT_EQ(control.kind, ControlKind::OptionRow);
        EXPECT_EQ(control.rect, g.optScelta[row]);
        EXPECT_EQ(control.startsGroup, row == 0) << "the ten rows are one group";
        const bool shown = row < 3;
        EXPECT_EQ(control.visible, shown);
        EXPECT_EQ(control.enabled, shown);
        EXPECT_EQ(control.text, shown ? setup.options[row] : L"");
    }
}

TEST(ControlTable, CaptionsKindsAndPlacesOfTheOtherControls) {
    DialogSetup setup = SetupWith(2, 0);
    setup.prompt = L"Scegli";
    const DialogGeometry g = LayoutFor(2);
    const std::vector<DialogControl> expected = {
        {kIdTesto, ControlKind::Label, L"Scegli", g.lblTesto, true, true, false, false},
        {kIdFrame, ControlKind::Frame, L"", g.frmSceltaFrame, true, true, false, true},
        {kIdOk, ControlKind::DefaultButton, L"&OK", g.cmdOk, true, true, true, true},
        {kIdAnnulla, ControlKind::Button, L"&Annulla", g.cmdAnnulla, true, true, true, false},
        // Hidden until a countdown shows it.
        {kIdTempo, ControlKind::RightLabel, L"0", g.lblTempo, false, true, false, true},
    };
    std::vector<DialogControl> others;
    for (const DialogControl& control : ControlTable(setup)) {
        if (RowOfControl(control.id) < 0) {
            others.push_back(control);
        }
    }
    EXPECT_EQ(others, expected);
}

TEST(RowOfControl, OnlyTheTenRows) {
    EXPECT_EQ(RowOfControl(Row(0)), 0);
    EXPECT_EQ(RowOfControl(Row(9)), 9);
    for (int id : {Row(-1), Row(10), kIdOk, kIdAnnulla, kIdTesto, kIdFrame, kIdTempo}) {
        EXPECT_EQ(RowOfControl(id), -1) << id;
    }
}

} // namespace
