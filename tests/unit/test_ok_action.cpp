#include "dialog/ok_action.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(OkAction, SelectedShownRowGivesItsOptionNumber) {
    for (int numOptions = 1; numOptions <= 10; ++numOptions) {
        for (int row = 0; row < numOptions; ++row) {
            SCOPED_TRACE(::testing::Message() << "row " << row << " of " << numOptions);
            const std::optional<unsigned> code = OkAction(row, numOptions);
            ASSERT_TRUE(code.has_value());
            EXPECT_EQ(*code, static_cast<unsigned>(row) + 1);
        }
    }
}

TEST(OkAction, NothingWithoutASelectedShownRow) {
    struct Case {
        std::optional<int> row;
        int numOptions;
    };
    const Case cases[] = {
        {std::nullopt, 3}, {std::nullopt, 0}, {std::nullopt, 10}, {3, 3}, {4, 3}, {9, 3}, {0, 0},
        {-1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "row " << c.row.value_or(-99) << " of " << c.numOptions);
        EXPECT_EQ(OkAction(c.row, c.numOptions), std::nullopt);
    }
}

} // namespace
