#include "startup/usage_text.h"

std::wstring UsageText() {
    // Lines end with a lone CR, as the message box has always shown them.
    constexpr wchar_t kCr[] = L"\r";
    constexpr wchar_t kTab[] = L"\t";
    std::wstring text;
    const auto line = [&](std::wstring_view content) {
        text += content;
        text += kCr;
    };
    const auto row = [&](std::wstring_view key, std::wstring_view meaning) {
        text += kTab;
        text += key;
        text += kTab;
        text += meaning;
        text += kCr;
    };

    line(L"Tolvane - Versione grafica di CHOICE per file batch, creato da VORDAN");
    line(L"");
    line(L"Uso:  Tolvane[.exe] [/Title \"Titolo\"] [/Text \"Testo\"] /Option \"Testo opzione 1\" "
         L"[/Option \"Testo opzione n\"] [/Default N] [/Timeout S]");
    line(L"");
    row(L"/Title", L"Titolo della finestra di scelta");
    row(L"/Text", L"Testo da visualizzare nella finestra di scelta");
    row(L"/Option", L"Testo della scelta (E' possibile specificare fino a 10 scelte).");
    row(L"/Default", L"Specifica il numero della scelta di default.");
    row(L"/Timeout", L"Specifica il numero di secondi dopo i quali verr\u00E0 automaticamente "
                     L"effettuata la scelta di default.");
    line(L"");
    line(L"Il valore di ritorno (ERRORLEVEL) sar\u00E0:");
    row(L"0", L"Indica che \u00E8 stato premuto ANNULLA.");
    row(L"1 - 10", L"Indica quale scelta \u00E8 stata effettuata.");
    row(L"11", L"Indica che si \u00E8 verificato un errore o \u00E8 stato visualizzato questo "
               L"messaggio.");
    line(L"");
    return text;
}
