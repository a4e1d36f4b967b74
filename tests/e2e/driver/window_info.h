#pragma once

#include <windows.h>

#include <string>
#include <vector>

class JsonWriter;

// The visible top-level windows that belong to the process, in z-order.
std::vector<HWND> VisibleTopLevelWindows(DWORD processId);
// The processes that this one started.
std::vector<DWORD> ChildProcesses(DWORD processId);

// Reads through messages with a timeout, so that a hung target cannot hang
// the driver.
std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);

// Sends the window's thread an empty message, `rounds` times, and waits up to a
// second for each answer. A sent message is answered only from the thread's
// message loop, where Wine also takes in the thread's pending X events: once
// it answers, the thread has taken in what was queued for it before.
void RoundTrip(HWND window, int rounds = 1);

// The first window below `top` (at any depth) with this control id.
HWND FindDescendant(HWND top, int id);

// The whole state of a top-level window and its children.
void DumpWindow(JsonWriter& json, HWND top);

// What is drawn on a window, read back from the screen: the bounding box,
// relative to the window, of the pixels that differ from its background (its
// most common colour). The window must be uncovered.
// Fails when the screen cannot be read.
bool DumpInk(JsonWriter& json, HWND window);
