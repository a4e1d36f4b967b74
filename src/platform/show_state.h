#pragma once

#include <optional>

// How a window stands on the screen.
enum class ShowState { Hidden, Normal, Minimized, Maximized };

// The show commands of ShowWindow and of STARTUPINFO.wShowWindow, by value.
namespace show_command {
inline constexpr int kHide = 0;
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMinimized = 2;
inline constexpr int kShowMaximized = 3;
inline constexpr int kShowNoActivate = 4;
inline constexpr int kShow = 5;
inline constexpr int kMinimize = 6;
inline constexpr int kShowMinNoActive = 7;
inline constexpr int kShowNa = 8;
inline constexpr int kRestore = 9;
inline constexpr int kShowDefault = 10;
inline constexpr int kForceMinimize = 11;
} // namespace show_command

// The state in which the program's window must first appear, given the show
// command that the launcher set in its STARTUPINFO (none when it set none).
// A request to start minimized is honoured: the window waits on the taskbar,
// which a countdown makes useful. Every other request gives the normal
// state: hidden, the window would leave a script waiting for an answer that
// nobody can give; maximized, a dialog of fixed size would stretch with its
// controls in a corner.
ShowState InitialShowState(std::optional<int> launcherCommand);

// Whether a window that stands `seen` is acceptable for a program that
// wants it `wanted`: visible and not maximized, and minimized only when that
// was asked.
bool IsAcceptableShowState(ShowState wanted, ShowState seen);

// The show command that brings a window to `wanted`, from any state.
int CorrectingShowCommand(ShowState wanted);
