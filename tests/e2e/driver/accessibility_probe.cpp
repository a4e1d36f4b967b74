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

// The text that the call `hr` left in `*text`, or null when it failed.
void WriteBstr(JsonWriter& json, HRESULT hr, BSTR* text) {
    if (SUCCEEDED(hr) && *text != nullptr) {
        json.String(std::wstring(*text, SysStringLen(*text)));
        SysFreeString(*text);
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

// The control id of a child's window, or -1 for a child without a window.
int ControlIdOf(IDispatch* child) {
    HWND window = nullptr;
    IAccessible* object = nullptr;
    if (child != nullptr && SUCCEEDED(child->QueryInterface(__uuidof(IAccessible),
                                                            reinterpret_cast<void**>(&object)))) {
        WindowFromAccessibleObject(object, &window);
        object->Release();
    }
    return window != nullptr ? GetDlgCtrlID(window) : -1;
}

// The name read late-bound, with `argument` as the child id, or none.
void WriteDispatchName(JsonWriter& json, IAccessible* object, VARIANT* argument) {
    DISPPARAMS params{argument, nullptr, argument != nullptr ? 1u : 0u, 0};
    VARIANT result;
    VariantInit(&result);
    if (SUCCEEDED(object->Invoke(DISPID_ACC_NAME, IID_NULL, LOCALE_USER_DEFAULT,
                                 DISPATCH_PROPERTYGET, &params, &result, nullptr, nullptr)) &&
        result.vt == VT_BSTR) {
        json.String(std::wstring(result.bstrVal, SysStringLen(result.bstrVal)));
    } else {
        json.Null();
    }
    VariantClear(&result);
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
    BSTR name = nullptr;
    BSTR description = nullptr;
    WriteBstr(json.Key("name"), object->get_accName(self, &name), &name);
    WriteBstr(json.Key("description"), object->get_accDescription(self, &description),
              &description);
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
    // The name once more, late-bound: what a script client reads, with the
    // child id as scripts give it: VT_I4, left out, VT_EMPTY, VT_I2 and by
    // reference.
    VARIANT argument = self;
    VARIANT empty{};
    VARIANT small{};
    small.vt = VT_I2;
    VARIANT byReference{};
    byReference.vt = VT_BYREF | VT_VARIANT;
    byReference.pvarVal = &argument;
    json.Key("dispatch_names").BeginArray();
    for (VARIANT* given :
         {&argument, static_cast<VARIANT*>(nullptr), &empty, &small, &byReference}) {
        WriteDispatchName(json, object, given);
    }
    json.EndArray();
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
            json.Int(child.vt == VT_DISPATCH ? ControlIdOf(child.pdispVal) : -1);
            VariantClear(&child);
        }
    }
    json.EndArray();
    // The same children by number, and the last one by navigation.
    json.Key("numbered_children").BeginArray();
    for (long i = 1; i <= count; ++i) {
        VARIANT number{};
        number.vt = VT_I4;
        number.lVal = i;
        IDispatch* child = nullptr;
        json.Int(SUCCEEDED(object->get_accChild(number, &child)) ? ControlIdOf(child) : -1);
        if (child != nullptr) {
            child->Release();
        }
    }
    json.EndArray();
    VARIANT last{};
    json.Key("last_child")
        .Int(SUCCEEDED(object->accNavigate(NAVDIR_LASTCHILD, self, &last)) && last.vt == VT_DISPATCH
                 ? ControlIdOf(last.pdispVal)
                 : -1);
    VariantClear(&last);
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
