#include "dialog/dialog_input.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct StopCase {
    InputEvent event;
    bool stops;
};

TEST(StopsCountdown, EveryInteractionButOkAndCancelAndAFocusOnlyNotification) {
    const std::vector<StopCase> cases = {
        {{Input::KeyDown}, true},
        {{Input::KeyPress}, true},
        {{Input::ClickOnBackground}, true},
        {{Input::ClickOnFrame}, true},
        {{Input::ClickOnLabel}, true},
        {{Input::RowClicked, true}, true},
        // An unchecked row notifies a click when it merely gets the focus.
        {{Input::RowClicked, false}, false},
        {{Input::RowLostFocus, false, true}, true},
        // The user switched to another program.
        {{Input::RowLostFocus, false, false}, false},
        {{Input::OkClicked}, false},
        {{Input::AnnullaClicked}, false},
    };
    for (const StopCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.event.input));
        EXPECT_EQ(StopsCountdown(c.event), c.stops);
    }
}

TEST(ForDialogManager, NoPrintableCharacterWithoutAlt) {
    for (unsigned code = 0; code <= 0xFFFF; ++code) {
        const auto c = static_cast<wchar_t>(code);
        const bool printable = code >= 0x20 && code != 0x7F;
        ASSERT_EQ(ForDialogManager(KeyMessage::Char, c), !printable) << code;
        // Alt with a character is an access key; keys themselves keep their
        // dialog meaning.
        ASSERT_TRUE(ForDialogManager(KeyMessage::SysChar, c)) << code;
        ASSERT_TRUE(ForDialogManager(KeyMessage::KeyDown, c)) << code;
        ASSERT_TRUE(ForDialogManager(KeyMessage::SysKeyDown, c)) << code;
    }
}

} // namespace
