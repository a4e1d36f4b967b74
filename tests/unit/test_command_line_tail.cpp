#include "platform/command_line_tail.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TailCase {
    std::wstring fullLine;
    std::wstring tail;
};

TEST(CommandLineTail, SkipsTheProgramNameAndTheWhiteSpaceAfterIt) {
    const std::vector<TailCase> cases = {
        {LR"("C:\Program Files\Tolvane\Tolvane.exe" /Title x)", L"/Title x"},
        {LR"(C:\Tools\Tolvane.exe /Option A)", L"/Option A"},
        {L"Tolvane.exe   \t \t/Option A", L"/Option A"},
        {L"Tolvane.exe\t/Option A", L"/Option A"},
        {LR"("C:\Program Files\Tolvane.exe"   Title Backup)", L"Title Backup"},
        {L"Tolvane.exe", L""},
        {L"Tolvane.exe   ", L""},
        {LR"("C:\Program Files\Tolvane.exe")", L""},
        {L"", L""},
        {LR"(Tolvane /Text "a b" -Option "c")", LR"(/Text "a b" -Option "c")"},
        {LR"(Tolvane "/Title" x)", LR"("/Title" x)"},
        // The name runs to the end when its closing quote is missing.
        {LR"("C:\Program Files\Tolvane.exe /Title x)", L""},
    };
    for (const TailCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.fullLine));
        EXPECT_EQ(std::wstring(CommandLineTail(c.fullLine)), c.tail);
    }
}

// Only a quote that opens the name protects white space; a closing quote ends
// the name even when text follows it at once.
TEST(CommandLineTail, QuotesCountOnlyAtTheStartOfTheName) {
    const std::vector<TailCase> cases = {
        {LR"("C:\Tools\Tolvane.exe"/Option A)", L"/Option A"},
        {LR"("C:\Tools\Tolvane.exe"x /Option A)", L"x /Option A"},
        {LR"(Tol"va ne".exe /Option A)", LR"(ne".exe /Option A)"},
    };
    for (const TailCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.fullLine));
        EXPECT_EQ(std::wstring(CommandLineTail(c.fullLine)), c.tail);
    }
}

TEST(CommandLineTail, IsAViewIntoTheFullLine) {
    const std::wstring full = L"Tolvane.exe /Option A";
    const std::wstring_view tail = CommandLineTail(full);
    ASSERT_EQ(tail, L"/Option A");
    EXPECT_EQ(tail.data(), full.data() + 12);
}

} // namespace
