#include "startup/usage_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

constexpr wchar_t CR = L'\r';
constexpr wchar_t TAB = L'\t';

std::wstring Row(const std::wstring& left, const std::wstring& right) {
    return TAB + left + TAB + right;
}

std::wstring ExpectedUsage() {
    const std::wstring lines[15] = {
        L"Tolvane - Versione grafica di CHOICE per file batch, creato da VORDAN",
        L"",
        L"Uso:  Tolvane[.exe] [/Title \"Titolo\"] [/Text \"Testo\"] /Option \"Testo opzione 1\" "
        L"[/Option \"Testo opzione n\"] [/Default N] [/Timeout S]",
        L"",
        Row(L"/Title", L"Titolo della finestra di scelta"),
        Row(L"/Text", L"Testo da visualizzare nella finestra di scelta"),
        Row(L"/Option", L"Testo della scelta (E' possibile specificare fino a 10 scelte)."),
        Row(L"/Default", L"Specifica il numero della scelta di default."),
        Row(L"/Timeout", L"Specifica il numero di secondi dopo i quali verr\u00E0 automaticamente "
                         L"effettuata la scelta di default."),
        L"",
        L"Il valore di ritorno (ERRORLEVEL) sar\u00E0:",
        Row(L"0", L"Indica che \u00E8 stato premuto ANNULLA."),
        Row(L"1 - 10", L"Indica quale scelta \u00E8 stata effettuata."),
        Row(L"11", L"Indica che si \u00E8 verificato un errore o \u00E8 stato visualizzato questo "
                   L"messaggio."),
        L"",
    };
    std::wstring text;
    for (const std::wstring& line : lines) {
        text += line + CR;
    }
    return text;
}

TEST(UsageText, IsExactlyTheFifteenLines) {
    EXPECT_EQ(UsageText(), ExpectedUsage());
}

TEST(UsageText, LineBreaksTabsAndAccents) {
    const std::wstring text = UsageText();
    EXPECT_EQ(std::count(text.begin(), text.end(), CR), 15);
    EXPECT_EQ(std::count(text.begin(), text.end(), TAB), 16);
    EXPECT_EQ(text.find(L'\n'), std::wstring::npos);
    EXPECT_TRUE(text.starts_with(L"Tolvane - "));
    EXPECT_TRUE(text.ends_with(L".\r\r"));
    EXPECT_EQ(std::count(text.begin(), text.end(), L'\u00E0'), 2);
    EXPECT_EQ(std::count(text.begin(), text.end(), L'\u00E8'), 4);
    // Accents are precomposed, never a base letter plus a combining mark.
    EXPECT_EQ(text.find(L'\u0300'), std::wstring::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), L'"'), 8);
    EXPECT_NE(text.find(L"Uso:  Tolvane[.exe] "), std::wstring::npos);
}

} // namespace
