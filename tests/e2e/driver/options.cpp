#include "options.h"

#include <cstring>
#include <cwchar>

std::vector<std::wstring> Split(std::wstring_view text, wchar_t separator) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (true) {
        size_t end = text.find(separator, start);
        parts.emplace_back(text.substr(start, end - start));
        if (end == std::wstring_view::npos) {
            return parts;
        }
        start = end + 1;
    }
}

bool ParseNumber(const std::wstring& text, long long* value) {
    if (text.empty()) {
        return false;
    }
    wchar_t* end = nullptr;
    *value = std::wcstoll(text.c_str(), &end, 0);
    return *end == L'\0';
}

namespace {

// The file's text, written in UTF-16LE.
std::optional<std::wstring> ReadUtf16File(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    CloseHandle(file);
    if (bytes.size() % 2 != 0) {
        return std::nullopt;
    }
    std::wstring text(bytes.size() / 2, L'\0');
    memcpy(text.data(), bytes.data(), bytes.size());
    return text;
}

} // namespace

const char kOptionsUsage[] =
    "usage: tolvane_driver (--exe PATH [--tail-file PATH] [--show SW] [--own-station]\n"
    "                       | --attach-class CLASS [--attach-title TEXT])\n"
    "                      [--timeout MS] [--out PATH] [--steps-file PATH] STEP...\n"
    "  --tail-file: the program's command-line tail; --steps-file: a step a line; UTF-16LE\n"
    "  --show: start the program with STARTF_USESHOWWINDOW and this wShowWindow\n"
    "  --own-station: start it on a desktop of a window station of the driver's own, not\n"
    "    the interactive one; the driver cannot see its windows, so only wait-exit helps\n"
    "  --refuse-control ID: a CBT hook makes Windows refuse to create the control ID\n"
    "steps:\n";

std::optional<std::wstring> ParseOptions(int argc, wchar_t** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg == L"--own-station") {
            options.ownStation = true;
            continue;
        }
        bool hasValue = i + 1 < argc;
        if (arg.rfind(L"--", 0) == 0 && !hasValue) {
            return L"missing value for " + arg;
        }
        if (arg == L"--exe") {
            options.exe = argv[++i];
        } else if (arg == L"--tail-file" || arg == L"--steps-file") {
            const std::optional<std::wstring> text = ReadUtf16File(argv[++i]);
            if (!text) {
                return L"cannot read " + arg + L" as UTF-16LE";
            }
            if (arg == L"--tail-file") {
                options.tail = *text;
            } else {
                for (const std::wstring& line : Split(*text, L'\n')) {
                    if (!line.empty()) {
                        options.steps.push_back(line);
                    }
                }
            }
        } else if (arg == L"--refuse-control") {
            options.refusedControl = argv[++i];
        } else if (arg == L"--attach-class") {
            options.attachClass = argv[++i];
        } else if (arg == L"--attach-title") {
            options.attachTitle = argv[++i];
        } else if (arg == L"--out") {
            options.outPath = argv[++i];
        } else if (arg == L"--timeout" || arg == L"--show") {
            long long number = 0;
            if (!ParseNumber(argv[++i], &number)) {
                return L"bad " + arg;
            }
            if (arg == L"--show") {
                options.show = static_cast<WORD>(number);
            } else {
                options.timeoutMs = static_cast<double>(number);
            }
        } else if (arg.rfind(L"--", 0) == 0) {
            return L"unknown option " + arg;
        } else {
            options.steps.push_back(arg);
        }
    }
    if (options.exe.empty() == options.attachClass.empty()) {
        return L"give either --exe or --attach-class";
    }
    return std::nullopt;
}

void WriteOut(HANDLE handle, const std::string& text) {
    DWORD written = 0;
    WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

bool WriteReport(const std::wstring& path, const std::string& text) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        WriteOut(GetStdHandle(STD_ERROR_HANDLE),
                 "cannot write the report (error " + std::to_string(GetLastError()) + ")\n");
        return false;
    }
    WriteOut(file, text);
    CloseHandle(file);
    return true;
}
