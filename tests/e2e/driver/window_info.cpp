#include "window_info.h"

#include "json_writer.h"

#include <tlhelp32.h>

#include <algorithm>
#include <map>

namespace {

constexpr UINT kMessageTimeoutMs = 2000;

struct EnumState {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM param) {
    auto* state = reinterpret_cast<EnumState*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == state->processId && IsWindowVisible(window)) {
        state->windows.push_back(window);
    }
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

std::vector<HWND> Descendants(HWND top) {
    std::vector<HWND> children;
    EnumChildWindows(top, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                               result) != 0;
}

// The window's rectangle relative to the client area of `top`.
RECT RectInClient(HWND top, HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void WriteRect(JsonWriter& json, const RECT& rect) {
    json.BeginArray().Int(rect.left).Int(rect.top).Int(rect.right).Int(rect.bottom).EndArray();
}

// The control id of the child that has the focus of the window's thread, as
// the system sees it (this works across processes); null when no child has it.
void DumpThreadFocus(JsonWriter& json, HWND top) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const bool known = GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info) != 0;
    const bool child = known && info.hwndFocus != nullptr && info.hwndFocus != top;
    json.Key("focus").IntOrNull(child ? std::optional<long long>(GetDlgCtrlID(info.hwndFocus))
                                      : std::nullopt);
}

void DumpChild(JsonWriter& json, HWND top, HWND child) {
    std::wstring className = ClassName(child);
    LONG style = GetWindowLongW(child, GWL_STYLE);

    json.BeginObject();
    json.Key("id").Int(GetDlgCtrlID(child));
    json.Key("class").String(className);
    json.Key("text").String(WindowText(child));
    json.Key("style").Int(static_cast<unsigned long>(style));
    json.Key("rect");
    WriteRect(json, RectInClient(top, child));
    // Visible means shown with all its parents, which is what a user sees.
    json.Key("visible").Bool(IsWindowVisible(child) != 0);
    json.Key("enabled").Bool(IsWindowEnabled(child) != 0);
    DWORD_PTR check = 0;
    const bool checkable = lstrcmpiW(className.c_str(), L"Button") == 0 &&
                           SendWithTimeout(child, BM_GETCHECK, 0, 0, &check);
    json.Key("check").IntOrNull(checkable ? std::optional<long long>(check) : std::nullopt);
    // Whether it is an icon control that holds an icon.
    DWORD_PTR icon = 0;
    const bool iconControl =
        lstrcmpiW(className.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON;
    json.Key("icon").Bool(iconControl && SendWithTimeout(child, STM_GETICON, 0, 0, &icon) &&
                          icon != 0);
    json.EndObject();
}

} // namespace

std::vector<HWND> VisibleTopLevelWindows(DWORD processId) {
    EnumState state{processId, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&state));
    return state.windows;
}

std::vector<DWORD> ChildProcesses(DWORD processId) {
    std::vector<DWORD> children;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return children;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID == processId) {
            children.push_back(entry.th32ProcessID);
        }
    }
    CloseHandle(snapshot);
    return children;
}

std::wstring WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, &length)) {
        return {};
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendWithTimeout(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                         &copied)) {
        return {};
    }
    text.resize(copied < text.size() ? copied : text.size() - 1);
    return text;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256] = {};
    int length = GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? length : 0);
}

void RoundTrip(HWND window, int rounds) {
    for (int round = 0; round < rounds; ++round) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &ignored);
    }
}

HWND FindDescendant(HWND top, int id) {
    for (HWND child : Descendants(top)) {
        if (GetDlgCtrlID(child) == id) {
            return child;
        }
    }
    return nullptr;
}

void DumpWindow(JsonWriter& json, HWND top) {
    RECT windowRect{};
    RECT clientRect{};
    GetWindowRect(top, &windowRect);
    GetClientRect(top, &clientRect);

    json.BeginObject();
    json.Key("class").String(ClassName(top));
    json.Key("text").String(WindowText(top));
    json.Key("style").Int(static_cast<unsigned long>(GetWindowLongW(top, GWL_STYLE)));
    json.Key("rect");
    WriteRect(json, windowRect);
    json.Key("client_size").BeginArray().Int(clientRect.right).Int(clientRect.bottom).EndArray();
    json.Key("visible").Bool(IsWindowVisible(top) != 0);
    json.Key("minimized").Bool(IsIconic(top) != 0);
    json.Key("maximized").Bool(IsZoomed(top) != 0);
    json.Key("owner").Bool(GetWindow(top, GW_OWNER) != nullptr);
    json.Key("foreground").Bool(GetForegroundWindow() == top);
    DumpThreadFocus(json, top);
    json.Key("children").BeginArray();
    for (HWND child : Descendants(top)) {
        DumpChild(json, top, child);
    }
    json.EndArray();
    json.EndObject();
}

bool DumpInk(JsonWriter& json, HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) {
        return false;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool copied = false;
    if (memory != nullptr && bitmap != nullptr) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != 0;
        GdiFlush();
        SelectObject(memory, old);
    }
    if (copied) {
        const auto* pixels = static_cast<const DWORD*>(bits);
        std::map<DWORD, int> counts;
        for (int i = 0; i < width * height; ++i) {
            ++counts[pixels[i] & 0xFFFFFF];
        }
        const DWORD background =
            std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
                return a.second < b.second;
            })->first;
        // Stays empty, right of left, when nothing is drawn.
        RECT box{width, height, 0, 0};
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if ((pixels[y * width + x] & 0xFFFFFF) != background) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
            }
        }
        json.Key("ink");
        if (box.right > box.left) {
            WriteRect(json, box);
        } else {
            json.Null();
        }
    }
    // Either may be null, which these calls refuse harmlessly.
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return copied;
}
