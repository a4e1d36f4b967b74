// Prints as JSON what the program's portable logic says its windows show, so
// that the end-to-end tests hold Tolvane.exe to the logic, not to a copy.
//
//     tolvane_expect                          layouts, texts and captions
//     tolvane_expect announce NUMBER CAPTION  the countdown's sentence for 0
//         to 300 seconds left, with row NUMBER (0: none) selected and
//         captioned CAPTION (ASCII)
#include "dialog/announcement.h"
#include "dialog/control_ids.h"
#include "dialog/dialog_layout.h"
#include "dialog/dialog_setup.h"
#include "startup/usage_text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace {

// Everything outside printable ASCII as \uXXXX (UTF-16), so that CR, TAB,
// accents and characters beyond the BMP reach Python unchanged.
std::string Quoted(std::wstring_view text) {
    std::string out = "\"";
    const auto escape = [&out](unsigned unit) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "\\u%04X", unit);
        out += buffer;
    };
    for (const wchar_t c : text) {
        const auto code = static_cast<unsigned>(c);
        if (code == '"' || code == '\\') {
            out += {'\\', static_cast<char>(code)};
        } else if (code >= 0x20 && code < 0x7F) {
            out += static_cast<char>(code);
        } else if (code > 0xFFFF) {
            escape(0xD800 + ((code - 0x10000) >> 10));
            escape(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            escape(code);
        }
    }
    return out + "\"";
}

std::string Numbers(std::initializer_list<double> values) {
    std::string out;
    for (const double value : values) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%s%g", out.empty() ? "[" : ", ", value);
        out += buffer;
    }
    return out + "]";
}

// The client size and each shown control's box by control id, in twips, or
// in pixels at `dpi` converted as the window converts them.
std::string Layout(int rows, int dpi) {
    const DialogGeometry g = LayoutFor(rows);
    const auto box = [dpi](const TwipsRect& r) {
        if (dpi == 0) {
            return Numbers({r.left, r.top, r.width, r.height});
        }
        const PixelRect p = TwipsToPixels(r, dpi);
        return Numbers({1.0 * p.left, 1.0 * p.top, 1.0 * p.width, 1.0 * p.height});
    };
    std::string out = "{\"client\": " + (dpi ? Numbers({1.0 * TwipsToPixels(g.clientWidth, dpi),
                                                        1.0 * TwipsToPixels(g.clientHeight, dpi)})
                                             : Numbers({g.clientWidth, g.clientHeight}));
    const auto add = [&](int id, const TwipsRect& rect) {
        out += (id == kIdTesto ? ", \"controls\": {\"" : ", \"") + std::to_string(id) +
               "\": " + box(rect);
    };
    add(kIdTesto, g.lblTesto);
    add(kIdFrame, g.frmSceltaFrame);
    for (int row = 0; row < rows; ++row) {
        add(kIdFirstOption + row, g.optScelta[row]);
    }
    add(kIdOk, g.cmdOk);
    add(kIdAnnulla, g.cmdAnnulla);
    add(kIdTempo, g.lblTempo);
    return out + "}}";
}

// A list of `text(seconds)` for every countdown from 0 to 300 seconds.
std::string BySeconds(const std::function<std::wstring(std::int32_t)>& text) {
    std::string out;
    for (std::int32_t seconds = 0; seconds <= kMaxTimeoutSeconds; ++seconds) {
        out += (seconds ? ", " : "[") + Quoted(text(seconds));
    }
    return out + "]";
}

void PrintFacts() {
    std::printf("{\"max_rows\": %d,\n \"captions\": {\"title\": %s, \"prompt\": %s, \"ok\": %s, "
                "\"annulla\": %s, \"usage_box\": %s},\n \"usage\": %s,\n \"countdown\": %s,\n "
                "\"layout\": [",
                kMaxOptions, Quoted(kDefaultCaption).c_str(), Quoted(kDefaultPrompt).c_str(),
                Quoted(kOkCaption).c_str(), Quoted(kAnnullaCaption).c_str(),
                Quoted(kAppTitle).c_str(), Quoted(UsageText()).c_str(),
                BySeconds(CountdownText).c_str());
    for (int rows = 0; rows <= kMaxOptions; ++rows) {
        std::printf("%s\n  {\"twips\": %s", rows ? "," : "", Layout(rows, 0).c_str());
        for (const int dpi : {96, 120, 144, 168, 192}) {
            std::printf(",\n   \"%d\": %s", dpi, Layout(rows, dpi).c_str());
        }
        std::printf("}");
    }
    std::printf("]}\n");
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 1) {
        PrintFacts();
    } else if (argc == 4 && std::string_view(argv[1]) == "announce") {
        const int number = std::atoi(argv[2]);
        const std::string_view ascii = argv[3];
        const std::wstring caption(ascii.begin(), ascii.end());
        const auto option =
            number > 0 ? std::optional<SelectedOption>({number, caption}) : std::nullopt;
        std::printf("%s\n", BySeconds([&](std::int32_t seconds) {
                                return CountdownAnnouncement(seconds, option);
                            }).c_str());
    } else {
        std::fprintf(stderr, "usage: tolvane_expect [announce NUMBER CAPTION]\n");
        return 2;
    }
    return 0;
}
