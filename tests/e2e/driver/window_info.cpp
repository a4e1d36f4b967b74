#include "window_info.h"

#include "json_writer.h"

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

void WriteRect(JsonWriter& json, const RECT& rect) {
    json.BeginArray().Int(rect.left).Int(rect.top).Int(rect.right).Int(rect.bottom).EndArray();
}

bool IsButtonClass(const std::wstring& className) {
    return lstrcmpiW(className.c_str(), L"Button") == 0;
}

bool IsStaticClass(const std::wstring& className) {
    return lstrcmpiW(className.c_str(), L"Static") == 0;
}

void WriteControlId(JsonWriter& json, HWND window) {
    if (window == nullptr) {
        json.Null();
        return;
    }
    json.Int(GetDlgCtrlID(window));
}

// Where the focus and activation of the window's thread are, as the system
// sees them; this works across processes.
void DumpThreadFocus(JsonWriter& json, HWND top) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    DWORD threadId = GetWindowThreadProcessId(top, nullptr);
    bool known = GetGUIThreadInfo(threadId, &info) != 0;
    json.Key("focus");
    if (!known || info.hwndFocus == nullptr) {
        json.Null();
    } else {
        json.BeginObject();
        json.Key("is_top").Bool(info.hwndFocus == top);
        json.Key("id");
        WriteControlId(json, info.hwndFocus == top ? nullptr : info.hwndFocus);
        json.Key("class").String(ClassName(info.hwndFocus));
        json.EndObject();
    }
    json.Key("active").Bool(known && info.hwndActive == top);
}

// Wine 8 answers none of these for another process's window (always null),
// so under Wine they say nothing; DumpFileIcons() is what can be checked.
void DumpIcons(JsonWriter& json, HWND top) {
    DWORD_PTR big = 0;
    DWORD_PTR small = 0;
    SendWithTimeout(top, WM_GETICON, ICON_BIG, 0, &big);
    SendWithTimeout(top, WM_GETICON, ICON_SMALL, 0, &small);
    json.Key("icon_big").Bool(big != 0);
    json.Key("icon_small").Bool(small != 0);
    json.Key("class_icon_big").Bool(GetClassLongPtrW(top, GCLP_HICON) != 0);
    json.Key("class_icon_small").Bool(GetClassLongPtrW(top, GCLP_HICONSM) != 0);
}

void DumpDpi(JsonWriter& json, HWND top) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    auto getDpi = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    json.Key("dpi");
    if (getDpi == nullptr) {
        json.Null();
    } else {
        json.Int(getDpi(top));
    }
}

void DumpChild(JsonWriter& json, HWND top, HWND child) {
    std::wstring className = ClassName(child);
    LONG style = GetWindowLongW(child, GWL_STYLE);
    HWND parent = GetAncestor(child, GA_PARENT);

    json.BeginObject();
    json.Key("id").Int(GetDlgCtrlID(child));
    json.Key("parent_id");
    WriteControlId(json, parent == top ? nullptr : parent);
    json.Key("class").String(className);
    json.Key("text").String(WindowText(child));
    json.Key("style").Int(static_cast<unsigned long>(style));
    json.Key("exstyle").Int(static_cast<unsigned long>(GetWindowLongW(child, GWL_EXSTYLE)));
    json.Key("rect");
    WriteRect(json, RectInClient(top, child));
    // Visible means shown with all its parents, which is what a user sees.
    json.Key("visible").Bool(IsWindowVisible(child) != 0);
    json.Key("enabled").Bool(IsWindowEnabled(child) != 0);
    json.Key("check");
    DWORD_PTR check = 0;
    if (IsButtonClass(className) && SendWithTimeout(child, BM_GETCHECK, 0, 0, &check)) {
        json.Int(static_cast<long long>(check));
    } else {
        json.Null();
    }
    json.Key("icon");
    DWORD_PTR icon = 0;
    if (IsStaticClass(className) && (style & SS_TYPEMASK) == SS_ICON) {
        SendWithTimeout(child, STM_GETICON, 0, 0, &icon);
        json.Bool(icon != 0);
    } else {
        json.Null();
    }
    json.EndObject();
}

#pragma pack(push, 2)
struct IconGroupEntry {
    BYTE width;
    BYTE height;
    BYTE colorCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    WORD id;
};

struct IconGroupHeader {
    WORD reserved;
    WORD type;
    WORD count;
};
#pragma pack(pop)

BOOL CALLBACK CollectIconGroup(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
    auto* names = reinterpret_cast<std::vector<std::wstring>*>(param);
    // Numeric ids become "#id", which FindResourceW takes back as well.
    names->push_back(IS_INTRESOURCE(name)
                         ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name))
                         : std::wstring(name));
    return TRUE;
}

void DumpIconGroup(JsonWriter& json, HMODULE module, const std::wstring& name) {
    json.BeginObject();
    json.Key("name").String(name);
    json.Key("images").BeginArray();
    HRSRC found = FindResourceW(module, name.c_str(), RT_GROUP_ICON);
    DWORD size = found ? SizeofResource(module, found) : 0;
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const auto* bytes = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
    if (bytes != nullptr && size >= sizeof(IconGroupHeader)) {
        IconGroupHeader header;
        memcpy(&header, bytes, sizeof header);
        for (WORD i = 0; i < header.count; ++i) {
            size_t offset = sizeof header + i * sizeof(IconGroupEntry);
            if (offset + sizeof(IconGroupEntry) > size) {
                break;
            }
            IconGroupEntry entry;
            memcpy(&entry, bytes + offset, sizeof entry);
            // A zero width or height stands for 256, a zero colour count for
            // "more than 256".
            json.BeginObject();
            json.Key("width").Int(entry.width == 0 ? 256 : entry.width);
            json.Key("height").Int(entry.height == 0 ? 256 : entry.height);
            json.Key("colors").Int(entry.colorCount);
            json.Key("bits").Int(entry.bitCount);
            json.EndObject();
        }
    }
    json.EndArray();
    json.EndObject();
}

} // namespace

std::vector<HWND> VisibleTopLevelWindows(DWORD processId) {
    EnumState state{processId, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&state));
    return state.windows;
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

HWND FindDescendant(HWND top, int id) {
    for (HWND child : Descendants(top)) {
        if (GetDlgCtrlID(child) == id) {
            return child;
        }
    }
    return nullptr;
}

RECT RectInClient(HWND top, HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void DumpWindow(JsonWriter& json, HWND top) {
    RECT windowRect{};
    RECT clientRect{};
    POINT clientOrigin{0, 0};
    GetWindowRect(top, &windowRect);
    GetClientRect(top, &clientRect);
    ClientToScreen(top, &clientOrigin);

    json.BeginObject();
    json.Key("class").String(ClassName(top));
    json.Key("text").String(WindowText(top));
    json.Key("style").Int(static_cast<unsigned long>(GetWindowLongW(top, GWL_STYLE)));
    json.Key("exstyle").Int(static_cast<unsigned long>(GetWindowLongW(top, GWL_EXSTYLE)));
    json.Key("rect");
    WriteRect(json, windowRect);
    json.Key("client_size").BeginArray().Int(clientRect.right).Int(clientRect.bottom).EndArray();
    json.Key("client_origin").BeginArray().Int(clientOrigin.x).Int(clientOrigin.y).EndArray();
    json.Key("visible").Bool(IsWindowVisible(top) != 0);
    json.Key("minimized").Bool(IsIconic(top) != 0);
    json.Key("maximized").Bool(IsZoomed(top) != 0);
    json.Key("enabled").Bool(IsWindowEnabled(top) != 0);
    json.Key("owner").Bool(GetWindow(top, GW_OWNER) != nullptr);
    DumpDpi(json, top);
    json.Key("foreground").Bool(GetForegroundWindow() == top);
    DumpThreadFocus(json, top);
    DumpIcons(json, top);
    json.Key("children").BeginArray();
    for (HWND child : Descendants(top)) {
        DumpChild(json, top, child);
    }
    json.EndArray();
    json.EndObject();
}

void DumpScreen(JsonWriter& json) {
    RECT workArea{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    json.BeginObject();
    json.Key("width").Int(GetSystemMetrics(SM_CXSCREEN));
    json.Key("height").Int(GetSystemMetrics(SM_CYSCREEN));
    json.Key("work_area");
    WriteRect(json, workArea);
    json.EndObject();
}

void DumpFileIcons(JsonWriter& json, const std::wstring& path) {
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr) {
        json.Null();
        return;
    }
    std::vector<std::wstring> names;
    EnumResourceNamesW(module, RT_GROUP_ICON, CollectIconGroup, reinterpret_cast<LONG_PTR>(&names));
    json.BeginArray();
    for (const std::wstring& name : names) {
        DumpIconGroup(json, module, name);
    }
    json.EndArray();
    FreeLibrary(module);
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
        DWORD background = 0;
        int most = 0;
        for (const auto& [colour, count] : counts) {
            if (count > most) {
                background = colour;
                most = count;
            }
        }
        RECT box{width, height, 0, 0};
        int inked = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if ((pixels[y * width + x] & 0xFFFFFF) != background) {
                    ++inked;
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
            }
        }
        json.Key("ink").BeginObject();
        json.Key("pixels").Int(inked);
        json.Key("box");
        if (inked > 0) {
            WriteRect(json, box);
        } else {
            json.Null();
        }
        json.Key("background").Int(background);
        json.EndObject();
    }
    if (bitmap != nullptr) {
        DeleteObject(bitmap);
    }
    if (memory != nullptr) {
        DeleteDC(memory);
    }
    ReleaseDC(nullptr, screen);
    return copied;
}
