// Runs a program under test, drives its windows with real input and reports
// what it saw as one JSON object on stdout (and in --out). Its usage text
// lists the steps.
#include "json_writer.h"
#include "options.h"
#include "session.h"
#include "steps.h"
#include "window_info.h"

#include <windows.h>

#include <objbase.h>

#include <optional>
#include <string>

int wmain(int argc, wchar_t** argv) {
    Options options;
    if (std::optional<std::wstring> problem = ParseOptions(argc, argv, options)) {
        std::string message(problem->begin(), problem->end());
        WriteOut(GetStdHandle(STD_ERROR_HANDLE), message + "\n" + kOptionsUsage + StepsUsage());
        return 2;
    }

    // An empty report first: a harness that finds no file at all knows that
    // the driver never ran (Wine failed to start it), not that it died.
    if (!options.outPath.empty() && !WriteReport(options.outPath, "")) {
        return 2;
    }

    // Coordinates in physical pixels, whatever the display's scaling.
    SetProcessDPIAware();
    // The accessibility objects of the program under test come through COM.
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    JsonWriter report;
    report.BeginObject();

    Session session(options.timeoutMs);
    bool ok = options.attachClass.empty() ? session.Start(options, report)
                                          : session.Attach(options, report);
    report.Key("started").Bool(ok);
    report.Key("steps").BeginArray();
    for (size_t i = 0; ok && i < options.steps.size(); ++i) {
        ok = session.RunStep(options.steps[i], report);
    }
    report.EndArray();
    session.Finish(report);
    report.EndObject();

    std::string text = report.Text() + "\n";
    WriteOut(GetStdHandle(STD_OUTPUT_HANDLE), text);
    if (!options.outPath.empty() && !WriteReport(options.outPath, text)) {
        return 2;
    }
    return ok ? 0 : 1;
}
