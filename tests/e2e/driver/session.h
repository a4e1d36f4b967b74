#pragma once

#include "json_writer.h"
#include "options.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

struct StepArgs;

// Reports `error` as what went wrong with the step or the start; false.
inline bool Fail(JsonWriter& json, const std::string& error) {
    json.Key("error").Ascii(error);
    return false;
}

struct SeenWindow {
    HWND window;
    std::wstring className;
    std::vector<int> childIds; // what tells a dialog from a message box
};

// The process under test and what has been observed of it so far.
class Session {
  public:
    // Every wait ends by `deadlineMs` after the start.
    explicit Session(double deadlineMs);

    bool Start(const Options& options, JsonWriter& report);
    bool Attach(const Options& options, JsonWriter& report);
    // Runs one step (steps.cpp) and reports it as one object.
    bool RunStep(const std::wstring& step, JsonWriter& json);
    void Finish(JsonWriter& report);

    // The steps (steps.cpp); RunStep has checked and parsed their arguments.
    bool StepWaitWindow(const StepArgs& args, JsonWriter& json);
    bool StepDump(const StepArgs& args, JsonWriter& json);
    bool StepSleep(const StepArgs& args, JsonWriter& json);
    bool StepPress(const StepArgs& args, JsonWriter& json);
    bool StepClickClient(const StepArgs& args, JsonWriter& json);
    bool StepClickClose(const StepArgs& args, JsonWriter& json);
    bool StepKey(const StepArgs& args, JsonWriter& json);
    bool StepType(const StepArgs& args, JsonWriter& json);
    bool StepPost(const StepArgs& args, JsonWriter& json);
    bool StepSend(const StepArgs& args, JsonWriter& json);
    bool StepWatch(const StepArgs& args, JsonWriter& json);
    bool StepInk(const StepArgs& args, JsonWriter& json);
    bool StepAccessible(const StepArgs& args, JsonWriter& json);
    bool StepWaitExit(const StepArgs& args, JsonWriter& json);
    bool StepEndProcess(const StepArgs& args, JsonWriter& json);

  private:
    // The window station and desktop for --own-station; the desktop's name
    // for STARTUPINFOW::lpDesktop, or nullopt with an error.
    std::optional<std::wstring> CreateOwnStation(JsonWriter& report);
    // Milliseconds since the program was started or the attaching began.
    double NowMs() const;
    void ResetClock();
    void Observe();
    bool Exited();
    // Polls until `done` holds, the process ends or the time runs out.
    bool WaitFor(const std::function<bool()>& done, double timeoutMs);
    // Handles what has come in for the driver: the window events recorded.
    void TakeInMessages();
    double Budget(double requestedMs) const;
    std::optional<double> SinceVisible() const;
    bool NeedWindow(JsonWriter& json);
    // The child with this control id; nullptr, with an error, when there is
    // none.
    HWND ChildWithId(long long id, JsonWriter& json);
    // Brings the window to the front and gives it the input that `send`
    // sends; `failure` says what went wrong when `send` fails.
    bool Deliver(const std::function<bool()>& send, const char* failure, JsonWriter& json);
    void Settle();
    void Kill();

    LARGE_INTEGER frequency_{};
    LARGE_INTEGER origin_{};
    HWINSTA station_ = nullptr;
    HDESK desktop_ = nullptr;
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
    std::vector<SeenWindow> seen_;
    std::optional<double> visibleAt_;
    std::optional<double> exitAt_;
    DWORD exitCode_ = 0;
    bool killed_ = false;
    bool timedOut_ = false;
    double deadlineMs_;
};
