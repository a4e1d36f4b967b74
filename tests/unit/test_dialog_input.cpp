#include "dialog/dialog_input.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct StopCase {
    InputEvent event;
    bool stops;
};

TEST(StopsCountdown, EveryInteractionButAFocusOnlyNotification) {
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
    };
    for (const StopCase& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.event.input));
        EXPECT_EQ(StopsCountdown(c.event), c.stops);
    }
}

TEST(ForDialogManager, NoPrintableCharacterWithoutAlt) {
    // Control characters come from keys that keep their dialog meaning
    // (Backspace, Tab, Enter, Esc, Ctrl+letter, Delete); any other character
    // would be taken for an access key.
    for (const wchar_t c : {L'\0', L'\b', L'\t', L'\n', L'\r', L'\x1B', L'\x1F', L'\x7F'}) {
        EXPECT_TRUE(ForDialogManager(KeyMessage::Char, c)) << static_cast<int>(c);
    }
    for (const wchar_t c : {L' ', L'!', L'0', L'A', L'O', L'a', L'~', L'\x80', L'\u00E0', L'\u20AC',
                            L'\xD83D', L'\xFFFF'}) {
        EXPECT_FALSE(ForDialogManager(KeyMessage::Char, c)) << static_cast<int>(c);
    }
    // Alt with a character is an access key; keys themselves keep their
    // dialog meaning.
    for (unsigned code = 0; code <= 0xFFFF; ++code) {
        const auto c = static_cast<wchar_t>(code);
        ASSERT_TRUE(ForDialogManager(KeyMessage::SysChar, c)) << code;
        ASSERT_TRUE(ForDialogManager(KeyMessage::KeyDown, c)) << code;
        ASSERT_TRUE(ForDialogManager(KeyMessage::SysKeyDown, c)) << code;
    }
}

} // namespace
