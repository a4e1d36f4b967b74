// Prints as JSON what the program's portable logic says its windows show, so
// that the end-to-end tests hold Tolvane.exe to the logic, not to a copy.
//
//     tolvane_expect                          control ids, layouts in pixels,
//                                             texts, captions and first shows
//     tolvane_expect announce NUMBER CAPTION  the countdown's sentence for 0
//         to 300 seconds left, with row NUMBER (0: none) selected and
//         captioned CAPTION (ASCII)
#include "dialog/announcement.h"
#include "dialog/control_ids.h"
#include "dialog/dialog_layout.h"
#include "dialog/dialog_setup.h"
#include "json_writer.h"
#include "platform/show_state.h"
#include "startup/unseen_run.h"
#include "startup/usage_text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace {

// The client size and each shown control's box by control id, in pixels at
// `dpi` converted as the window converts them.
void Layout(JsonWriter& json, int rows, int dpi) {
    const DialogGeometry g = LayoutFor(rows);
    json.BeginObject().Key("client").BeginArray();
    json.Int(TwipsToPixels(g.clientWidth, dpi)).Int(TwipsToPixels(g.clientHeight, dpi));
    json.EndArray().Key("controls").BeginObject();
    const auto add = [&](int id, const TwipsRect& rect) {
        const PixelRect p = TwipsToPixels(rect, dpi);
        json.Key(std::to_string(id)).BeginArray();
        json.Int(p.left).Int(p.top).Int(p.width).Int(p.height).EndArray();
    };
    add(kIdTesto, g.lblTesto);
    add(kIdFrame, g.frmSceltaFrame);
    for (int row = 0; row < rows; ++row) {
        add(kIdFirstOption + row, g.optScelta[row]);
    }
    add(kIdOk, g.cmdOk);
    add(kIdAnnulla, g.cmdAnnulla);
    add(kIdTempo, g.lblTempo);
    json.EndObject().EndObject();
}

// A list of `text(seconds)` for every countdown from 0 to 300 seconds.
void BySeconds(JsonWriter& json, const std::function<std::wstring(std::int32_t)>& text) {
    json.BeginArray();
    for (std::int32_t seconds = 0; seconds <= kMaxTimeoutSeconds; ++seconds) {
        json.String(text(seconds));
    }
    json.EndArray();
}

void Facts(JsonWriter& json) {
    json.BeginObject().Key("ids").BeginObject();
    const std::pair<const char*, int> ids[] = {
        {"kIdOk", kIdOk},       {"kIdAnnulla", kIdAnnulla}, {"kIdTesto", kIdTesto},
        {"kIdFrame", kIdFrame}, {"kIdTempo", kIdTempo},     {"kIdFirstOption", kIdFirstOption}};
    for (const auto& [name, id] : ids) {
        json.Key(name).Int(id);
    }
    json.EndObject().Key("captions").BeginObject();
    const std::pair<const char*, const wchar_t*> captions[] = {{"title", kDefaultCaption},
                                                               {"prompt", kDefaultPrompt},
                                                               {"ok", kOkCaption},
                                                               {"annulla", kAnnullaCaption},
                                                               {"usage_box", kAppTitle}};
    for (const auto& [name, caption] : captions) {
        json.Key(name).String(caption);
    }
    json.EndObject().Key("usage").String(UsageText());
    json.Key("max_rows").Int(kMaxOptions);
    json.Key("waiting_process_variable").String(kWaitingProcessVariable);
    json.Key("max_spoken").Int(static_cast<long long>(kMaxSpokenLength));
    json.Key("countdown");
    BySeconds(json, CountdownText);
    // For each show command that a launcher may set, 0 to 11, whether the
    // dialog first shows minimized.
    json.Key("starts_minimized").BeginArray();
    for (int command = show_command::kHide; command <= show_command::kForceMinimize; ++command) {
        json.Bool(InitialShowState(command) == ShowState::Minimized);
    }
    json.EndArray().Key("layout").BeginArray();
    for (int rows = 0; rows <= kMaxOptions; ++rows) {
        json.BeginObject();
        for (const int dpi : {96, 120, 144, 168, 192}) {
            Layout(json.Key(std::to_string(dpi)), rows, dpi);
        }
        json.EndObject();
    }
    json.EndArray().EndObject();
}

} // namespace

int main(int argc, char** argv) {
    JsonWriter json;
    if (argc == 1) {
        Facts(json);
    } else if (argc == 4 && std::string_view(argv[1]) == "announce") {
        const int number = std::atoi(argv[2]);
        const std::string_view ascii = argv[3];
        const std::wstring caption(ascii.begin(), ascii.end());
        const auto option =
            number > 0 ? std::optional<SelectedOption>({number, caption}) : std::nullopt;
        BySeconds(json,
                  [&](std::int32_t seconds) { return CountdownAnnouncement(seconds, option); });
    } else {
        std::fprintf(stderr, "usage: tolvane_expect [announce NUMBER CAPTION]\n");
        return 2;
    }
    std::printf("%s\n", json.Text().c_str());
    return 0;
}
