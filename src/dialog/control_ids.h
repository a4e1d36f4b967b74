#pragma once

// Control ids of the choice dialog. OK and Annulla carry 1 and 2, the ids
// that the dialog manager gives Enter and Esc (IDOK and IDCANCEL).
inline constexpr int kIdOk = 1;
inline constexpr int kIdAnnulla = 2;
inline constexpr int kIdTesto = 1001;
inline constexpr int kIdFrame = 1002; // the frame frmScelta around the rows
inline constexpr int kIdTempo = 1003;
inline constexpr int kIdFirstOption = 1010; // row i of optScelta has kIdFirstOption + i
