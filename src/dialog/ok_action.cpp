#include "dialog/ok_action.h"

std::optional<unsigned> OkAction(std::optional<int> selectedRow, int numOptions) {
    if (selectedRow && *selectedRow >= 0 && *selectedRow < numOptions) {
        return static_cast<unsigned>(*selectedRow) + 1;
    }
    return std::nullopt;
}
