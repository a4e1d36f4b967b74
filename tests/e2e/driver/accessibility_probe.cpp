#include "accessibility_probe.h"

#include "json_writer.h"

#include <oleacc.h>

#include <string>
#include <vector>

#ifndef EVENT_OBJECT_LIVEREGIONCHANGED
#define EVENT_OBJECT_LIVEREGIONCHANGED 0x8019
#endif

namespace {

struct WinEvent {
    DWORD event;
    std::wstring name;
    double atMs;
};

std::vector<WinEvent> g_events;
std::function<double()> g_clock;

void WriteBstr(JsonWriter& json, HRESULT hr, BSTR text) {
    if (SUCCEEDED(hr) && text != nullptr) {
        json.String(std::wstring(text, SysStringLen(text)));
        SysFreeString(text);
    } else {
        json.Null();
    }
}

std::wstring NameOf(IAccessible* object, VARIANT child) {
    BSTR name = nullptr;
    std::wstring text;
    if (SUCCEEDED(object->get_accName(child, &name)) && name != nullptr) {
        text.assign(name, SysStringLen(name));
        SysFreeString(name);
    }
    return text;
}

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG objectId, LONG childId,
                         DWORD, DWORD) {
    if (event != EVENT_OBJECT_NAMECHANGE && event != EVENT_OBJECT_LIVEREGIONCHANGED) {
        return;
    }
    IAccessible* object = nullptr;
    VARIANT child{};
    std::wstring name;
    if (objectId == OBJID_CLIENT &&
        SUCCEEDED(AccessibleObjectFromEvent(window, objectId, childId, &object, &child))) {
        name = NameOf(object, child);
        object->Release();
    }
    g_events.push_back({event, name, g_clock ? g_clock() : 0});
}

} // namespace

void DumpAccessible(JsonWriter& json, HWND window) {
    IAccessible* object = nullptr;
    json.BeginObject();
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object)))) {
        json.Key("error").Ascii("AccessibleObjectFromWindow failed");
        json.EndObject();
        return;
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    json.Key("name");
    HRESULT hr = object->get_accName(self, &text);
    WriteBstr(json, hr, text);
    json.Key("description");
    text = nullptr;
    hr = object->get_accDescription(self, &text);
    WriteBstr(json, hr, text);
    VARIANT value{};
    json.Key("role");
    if (SUCCEEDED(object->get_accRole(self, &value)) && value.vt == VT_I4) {
        json.Int(value.lVal);
    } else {
        json.Null();
    }
    // Whether the object says it stands for this very window, as a screen
    // reader asks through IOleWindow.
    IOleWindow* oleWindow = nullptr;
    HWND reported = nullptr;
    if (SUCCEEDED(object->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&oleWindow)))) {
        if (FAILED(oleWindow->GetWindow(&reported))) {
            reported = nullptr;
        }
        oleWindow->Release();
    }
    json.Key("ole_window_is_own").Bool(reported != nullptr && reported == window);
    // The name once more, late-bound: what a script client reads.
    VARIANT argument = self;
    DISPPARAMS params{&argument, nullptr, 1, 0};
    VARIANT result;
    VariantInit(&result);
    json.Key("dispatch_name");
    if (SUCCEEDED(object->Invoke(DISPID_ACC_NAME, IID_NULL, LOCALE_USER_DEFAULT,
                                 DISPATCH_PROPERTYGET, &params, &result, nullptr, nullptr)) &&
        result.vt == VT_BSTR) {
        json.String(std::wstring(result.bstrVal, SysStringLen(result.bstrVal)));
    } else {
        json.Null();
    }
    VariantClear(&result);
    long count = 0;
    json.Key("child_count").Int(SUCCEEDED(object->get_accChildCount(&count)) ? count : -1);
    // Each child as the control id of its window, or as a child id.
    std::vector<VARIANT> children(count > 0 ? static_cast<std::size_t>(count) : 0);
    long fetched = 0;
    json.Key("children").BeginArray();
    if (!children.empty() &&
        SUCCEEDED(AccessibleChildren(object, 0, count, children.data(), &fetched))) {
        for (long i = 0; i < fetched; ++i) {
            VARIANT& child = children[static_cast<std::size_t>(i)];
            HWND childWindow = nullptr;
            IAccessible* childObject = nullptr;
            if (child.vt == VT_DISPATCH && child.pdispVal != nullptr &&
                SUCCEEDED(child.pdispVal->QueryInterface(__uuidof(IAccessible),
                                                         reinterpret_cast<void**>(&childObject)))) {
                WindowFromAccessibleObject(childObject, &childWindow);
                childObject->Release();
            }
            json.Int(childWindow != nullptr ? GetDlgCtrlID(childWindow) : -1);
            VariantClear(&child);
        }
    }
    json.EndArray();
    object->Release();
    json.EndObject();
}

void StartWinEventRecording(DWORD processId, std::function<double()> clock) {
    g_clock = std::move(clock);
    // Out of context, as a screen reader listens: the events come through
    // this thread's message queue.
    SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr, OnWinEvent,
                    processId, 0, WINEVENT_OUTOFCONTEXT);
}

void DumpWinEvents(JsonWriter& json) {
    json.BeginArray();
    for (const WinEvent& event : g_events) {
        json.BeginObject();
        json.Key("event").Ascii(event.event == EVENT_OBJECT_LIVEREGIONCHANGED ? "live_region"
                                                                              : "name_change");
        json.Key("name").String(event.name);
        json.Key("at_ms").Number(event.atMs);
        json.EndObject();
    }
    json.EndArray();
}
