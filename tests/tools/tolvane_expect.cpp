// Prints, as JSON, what the program's portable logic says the dialog and the
// usage box show, so that the end-to-end tests compare Tolvane.exe with the
// logic itself instead of a copy of it.
//
//     tolvane_expect                         layouts, texts and captions
//     tolvane_expect announce NUMBER CAPTION the countdown's sentence for 0 to
//                                            300 seconds, row NUMBER (0: none)
//                                            selected with this ASCII caption
#include "dialog/announcement.h"
#include "dialog/control_ids.h"
#include "dialog/dialog_layout.h"
#include "dialog/dialog_setup.h"
#include "startup/usage_text.h"

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace {

constexpr int kDpis[] = {96, 120, 144, 168, 192};

// Everything outside printable ASCII as \uXXXX, in UTF-16 code units, so that
// CR, TAB, accents and characters beyond the BMP reach Python unchanged.
std::string Quoted(std::wstring_view text) {
    std::string out = "\"";
    const auto unit = [&out](unsigned u) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "\\u%04X", u);
        out += buffer;
    };
    for (const wchar_t c : text) {
        const auto code = static_cast<unsigned>(c);
        if (code == '"' || code == '\\') {
            out += '\\';
            out += static_cast<char>(code);
        } else if (code >= 0x20 && code < 0x7F) {
            out += static_cast<char>(code);
        } else if (code > 0xFFFF) {
            unit(0xD800 + ((code - 0x10000) >> 10));
            unit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            unit(code);
        }
    }
    return out + "\"";
}

std::string List(std::initializer_list<double> values) {
    std::string out = "[";
    for (const double value : values) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%s%g", out.size() > 1 ? ", " : "", value);
        out += buffer;
    }
    return out + "]";
}

std::string Box(const TwipsRect& rect, std::optional<int> dpi) {
    if (!dpi) {
        return List({rect.left, rect.top, rect.width, rect.height});
    }
    const PixelRect p = TwipsToPixels(rect, *dpi);
    return List({static_cast<double>(p.left), static_cast<double>(p.top),
                 static_cast<double>(p.width), static_cast<double>(p.height)});
}

// The client size and each shown control's box, keyed by control id; in
// twips, or in pixels at `dpi`.
std::string Layout(int rows, std::optional<int> dpi) {
    const DialogGeometry g = LayoutFor(rows);
    const std::string client =
        dpi ? List({static_cast<double>(TwipsToPixels(g.clientWidth, *dpi)),
                    static_cast<double>(TwipsToPixels(g.clientHeight, *dpi))})
            : List({g.clientWidth, g.clientHeight});
    std::string out = "{\"client\": " + client + ", \"controls\": {";
    const auto add = [&](int id, const TwipsRect& rect) {
        out += "\"" + std::to_string(id) + "\": " + Box(rect, dpi) + ", ";
    };
    add(kIdTesto, g.lblTesto);
    add(kIdFrame, g.frmSceltaFrame);
    for (int row = 0; row < rows; ++row) {
        add(kIdFirstOption + row, g.optScelta[row]);
    }
    add(kIdOk, g.cmdOk);
    add(kIdAnnulla, g.cmdAnnulla);
    out += "\"" + std::to_string(kIdTempo) + "\": " + Box(g.lblTempo, dpi) + "}}";
    return out;
}

void PrintFacts() {
    std::printf("{\"max_rows\": %d,\n", kMaxOptions);
    std::printf(" \"captions\": {\"title\": %s, \"prompt\": %s, \"ok\": %s, \"annulla\": %s, "
                "\"usage_box\": %s},\n",
                Quoted(kDefaultCaption).c_str(), Quoted(kDefaultPrompt).c_str(),
                Quoted(kOkCaption).c_str(), Quoted(kAnnullaCaption).c_str(),
                Quoted(kAppTitle).c_str());
    std::printf(" \"usage\": %s,\n \"countdown\": [", Quoted(UsageText()).c_str());
    for (int seconds = 0; seconds <= kMaxTimeoutSeconds; ++seconds) {
        std::printf("%s%s", seconds ? ", " : "", Quoted(CountdownText(seconds)).c_str());
    }
    std::printf("],\n \"layout\": [");
    for (int rows = 0; rows <= kMaxOptions; ++rows) {
        std::printf("%s\n  {\"twips\": %s", rows ? "," : "", Layout(rows, std::nullopt).c_str());
        for (const int dpi : kDpis) {
            std::printf(",\n   \"%d\": %s", dpi, Layout(rows, dpi).c_str());
        }
        std::printf("}");
    }
    std::printf("]}\n");
}

void PrintAnnouncements(int number, std::string_view caption) {
    const std::wstring wide(caption.begin(), caption.end());
    const std::optional<SelectedOption> option =
        number > 0 ? std::optional<SelectedOption>({number, wide}) : std::nullopt;
    std::printf("[");
    for (int seconds = 0; seconds <= kMaxTimeoutSeconds; ++seconds) {
        std::printf("%s%s", seconds ? ", " : "",
                    Quoted(CountdownAnnouncement(seconds, option)).c_str());
    }
    std::printf("]\n");
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 1) {
        PrintFacts();
        return 0;
    }
    if (argc == 4 && std::string_view(argv[1]) == "announce") {
        PrintAnnouncements(std::atoi(argv[2]), argv[3]);
        return 0;
    }
    std::fprintf(stderr, "usage: tolvane_expect [announce NUMBER CAPTION]\n");
    return 2;
}
