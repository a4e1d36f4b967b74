#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the driver was asked to do.
struct Options {
    std::wstring exe;
    std::wstring tail;
    std::wstring attachClass;
    std::optional<std::wstring> attachTitle;
    std::optional<WORD> show;
    bool ownStation = false;
    std::wstring refusedControl;
    std::wstring outPath;
    double timeoutMs = 60000;
    std::vector<std::wstring> steps;
};

// The options part of the usage text; the steps follow it.
extern const char kOptionsUsage[];

// What is wrong with the command line, if anything.
std::optional<std::wstring> ParseOptions(int argc, wchar_t** argv, Options& options);

// Plain out-parameters rather than std::optional: GCC's -Os sees phantom
// uninitialised reads through optionals.
bool ParseNumber(const std::wstring& text, long long* value);

std::vector<std::wstring> Split(std::wstring_view text, wchar_t separator);

void WriteOut(HANDLE handle, const std::string& text);
// Replaces the report file; says on stderr why it could not.
bool WriteReport(const std::wstring& path, const std::string& text);
