#pragma once

// Child-window ids of the choice dialog. OK and Cancel carry IDOK and IDCANCEL
// (1 and 2) so that the dialog manager's Enter and Esc reach them.
inline constexpr int kIdOk = 1;
inline constexpr int kIdAnnulla = 2;
inline constexpr int kIdTesto = 1001;
inline constexpr int kIdFrame = 1002;
inline constexpr int kIdTempo = 1003;
inline constexpr int kIdFirstOption = 1010; // row i has kIdFirstOption + i

// Window class of the choice dialog's top-level window.
inline constexpr wchar_t kDialogClassName[] = L"TolvaneScelta";
