#pragma once

#include <windows.h>

#include <functional>

class JsonWriter;

// What a screen reader reads of a window, from outside its process: the
// client object's name, description, role and children, each child as the
// control id of its window; whether the object's IOleWindow gives back this
// window, and the name as IDispatch::Invoke reads it.
void DumpAccessible(JsonWriter& json, HWND window);

// Records the name-change and live-region events that a process raises, as a
// screen reader hears of them, with the name of the object at that moment.
// The thread that starts it must pump messages while it listens.
void StartWinEventRecording(DWORD processId, std::function<double()> clock);
void DumpWinEvents(JsonWriter& json);
