#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

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

// Makes the window a polite live region for UI Automation clients: its
// name is read out, without interrupting, whenever AnnounceLiveRegion says.
// Needs the DLLs that AnswerGetObject loads; false when they are missing.
bool MarkPoliteLiveRegion(HWND window);

// Tells screen readers to read the live region out now.
void AnnounceLiveRegion(HWND window);
