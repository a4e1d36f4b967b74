#pragma once

#include <optional>

// The OK action's decision: the exit code for the selected row (row i gives
// option i + 1), or none when no shown row is selected and OK does nothing.
std::optional<unsigned> OkAction(std::optional<int> selectedRow, int numOptions);
