#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// What a window's client object tells a screen reader in place of the
// standard answers of Windows. A field left empty keeps the standard answer.
struct AccessibleOverrides {
    std::optional<std::wstring> name{};
    std::optional<long> role{}; // a ROLE_SYSTEM_ value
    std::optional<std::wstring> description{};
    bool visibleChildrenOnly = false; // hidden child windows are left out of its children
};

// Called whenever a screen reader asks, so that the answers follow the
// window's state; on the window's thread.
using AccessibleOverridesSource = std::function<AccessibleOverrides()>;

// Answers WM_GETOBJECT for the window's client object: the standard object of
// Windows with the answers of `source`. Returns 0 for any other object, and
// when the accessibility DLLs cannot be had; the caller then passes the
// message on. The first call loads those DLLs, so that a run without any
// screen reader never does.
LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam,
                        const AccessibleOverridesSource& source);

// A UI Automation property of a window's client object, given through the
// system's dynamic annotation: UI Automation clients such as Narrator read
// it whichever object they use for the window, which for a standard control
// is the system's own proxy and not the one that AnswerGetObject serves.
struct UiaAnnotation {
    HWND window;
    GUID property; // a UI Automation property's GUID
    std::variant<long, std::wstring> value;
};

// Properties of UI Automation, by their GUIDs.
namespace uia_property {
inline constexpr GUID kLiveSetting = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
inline constexpr long kPolite = 1; // a LiveSetting value
inline constexpr GUID kFullDescription = {
    0x0d4450ff, 0x6aef, 0x4f33, {0x95, 0xdd, 0x7b, 0xef, 0xa7, 0x2a, 0x43, 0x91}};
inline constexpr GUID kHelpText = {
    0x08555685, 0x0977, 0x45c7, {0xa7, 0xa6, 0xab, 0xaf, 0x56, 0x84, 0x12, 0x1a}};
inline constexpr GUID kPositionInSet = {
    0x33d1dc54, 0x641e, 0x4d76, {0xa6, 0xb1, 0x13, 0xf3, 0x41, 0xc1, 0xf8, 0x96}};
inline constexpr GUID kSizeOfSet = {
    0x1600d33c, 0x3b9f, 0x4369, {0x94, 0x31, 0xaa, 0x29, 0x3f, 0x34, 0x4c, 0xf1}};
} // namespace uia_property

// Gives the annotations to Windows. False when it could not give them all
// (the DLLs that AnswerGetObject loads or COM not ready, a window missing),
// so that the caller tries again at the next request.
bool Annotate(const std::vector<UiaAnnotation>& annotations);

// Tells screen readers to read the live region out now.
void AnnounceLiveRegion(HWND window);
