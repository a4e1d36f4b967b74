#include "platform/win32/dialog_screen_reader.h"

#include "dialog/announcement.h"
#include "dialog/control_ids.h"
#include "dialog/dialog_controls.h"

#include <oleacc.h>

namespace {

// The dialog window itself, which has no control id of its own.
constexpr int kIdDialog = 0;

} // namespace

LRESULT DialogScreenReader::AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam) {
    AnnotateOnce();
    const int id = window == dialog_.Window() ? kIdDialog : GetDlgCtrlID(window);
    if (!OverridesOf(id)) {
        return 0;
    }
    return ::AnswerGetObject(window, wParam, lParam, [this, id] {
        return OverridesOf(id).value_or(AccessibleOverrides{});
    });
}

void DialogScreenReader::AnnotateOnce() {
    // The annotations load the accessibility DLLs, which a run without a
    // screen reader never needs, so they wait for a screen reader: one that
    // says it runs, when the dialog is about to show, or else the first
    // request for an object. Every window that carries one (the dialog, the
    // label, the rows shown) passes its requests here, so they are in place
    // before any of them is read. They are made again only while they could
    // not all be made.
    if (!annotated_) {
        annotated_ = Annotate(UiaAnnotations());
    }
}

std::optional<AccessibleOverrides> DialogScreenReader::OverridesOf(int id) const {
    if (const int row = RowOfControl(id); row >= 0) {
        return RowOverrides(row);
    }
    switch (id) {
    case kIdDialog:
        return DialogOverrides();
    case kIdFrame:
        return FrameOverrides();
    case kIdTempo:
        return TempoOverrides();
    default:
        // lblTesto, OK and Annulla: what Windows says of them.
        return std::nullopt;
    }
}

AccessibleOverrides DialogScreenReader::DialogOverrides() const {
    // Read out when the dialog opens: what the dialog asks. The hidden rows
    // are not among its children.
    return {std::nullopt, ROLE_SYSTEM_DIALOG, SpokenText(dialog_.TextOf(kIdTesto)), true};
}

AccessibleOverrides DialogScreenReader::FrameOverrides() const {
    // The question is read out before the rows inside the frame.
    return {SpokenText(dialog_.TextOf(kIdTesto)), ROLE_SYSTEM_GROUPING};
}

std::optional<AccessibleOverrides> DialogScreenReader::RowOverrides(int) const {
    // A row is read as Windows reads a radio button: its caption and whether
    // it is checked. Where it stands among the rows ("1 of 2") goes to UI
    // Automation through UiaAnnotations().
    return std::nullopt;
}

AccessibleOverrides DialogScreenReader::TempoOverrides() const {
    const DialogState& state = dialog_.State();
    if (!IsTimerEnabled(state.countdown)) {
        return {};
    }
    const std::optional<int> row = dialog_.SelectedRow();
    return {CountdownAnnouncement(
        state.countdown.SecondsLeft,
        row ? std::optional<SelectedOption>({*row + 1, dialog_.TextOf(kIdFirstOption + *row)})
            : std::nullopt)};
}

std::vector<UiaAnnotation> DialogScreenReader::UiaAnnotations() const {
    // The prompt as the dialog's full description, which Narrator reads
    // after its name and type, and as its help text for clients older than
    // that property; UI Automation has no place for the description that
    // MSAA clients get. Each row says where it stands among the rows, for
    // "1 of 2", and the countdown label is a polite live region.
    const HWND window = dialog_.Window();
    const int numOptions = dialog_.State().NumOptions;
    const std::wstring prompt = SpokenText(dialog_.TextOf(kIdTesto));
    std::vector<UiaAnnotation> annotations = {
        {window, uia_property::kFullDescription, prompt},
        {window, uia_property::kHelpText, prompt},
        {GetDlgItem(window, kIdTempo), uia_property::kLiveSetting, uia_property::kPolite},
    };
    for (int i = 0; i < numOptions; ++i) {
        const HWND row = GetDlgItem(window, kIdFirstOption + i);
        annotations.push_back({row, uia_property::kPositionInSet, long{i + 1}});
        annotations.push_back({row, uia_property::kSizeOfSet, long{numOptions}});
    }
    return annotations;
}

void DialogScreenReader::Showing() {
    // Narrator, NVDA and JAWS set this flag while they run.
    BOOL screenReader = FALSE;
    if (SystemParametersInfoW(SPI_GETSCREENREADER, 0, &screenReader, 0) && screenReader) {
        AnnotateOnce();
    }
}

void DialogScreenReader::Shown() const {
    if (IsAnnouncedWhenShown(dialog_.State().countdown)) {
        AnnounceCountdown();
    }
}

void DialogScreenReader::AnnounceCountdown() const {
    AnnounceLiveRegion(GetDlgItem(dialog_.Window(), kIdTempo));
}
