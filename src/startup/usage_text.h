#pragma once

#include <string>

// Caption of the usage box; the usage line names the executable by it too.
inline constexpr wchar_t kAppTitle[] = L"Tolvane";

// The usage message: 15 lines, each ended by a lone CR, columns set by TABs.
std::wstring UsageText();
