// The count check and the minimised icon's position as plain arithmetic.
#include "dialog/CountCheck.h"
#include "dialog/IconPosition.h"

#include <gtest/gtest.h>

namespace {

TEST(CountCheckTest, ValuesAboveTheLimitAndOverlongTextsAreRewritten) {
    EXPECT_FALSE(dialog::CountExceedsLimit(L"100000"));
    EXPECT_TRUE(dialog::CountExceedsLimit(L"100001"));
    EXPECT_TRUE(dialog::CountExceedsLimit(L"1000000"));
    EXPECT_FALSE(dialog::CountExceedsLimit(L"0100000"));
    EXPECT_FALSE(dialog::CountExceedsLimit(L""));
    EXPECT_FALSE(dialog::CountExceedsLimit(L"-5"));
    EXPECT_FALSE(dialog::CountExceedsLimit(L"12abc"));
    EXPECT_FALSE(dialog::CountExceedsLimit(L"-99999999999999999"));
    EXPECT_TRUE(dialog::CountExceedsLimit(L"999999999999999999"));   // 18 characters, converted
    EXPECT_TRUE(dialog::CountExceedsLimit(L"0000000000000000001"));  // 19 characters, not converted
    EXPECT_FALSE(dialog::CountExceedsLimit(L"000000000000000001"));
    EXPECT_TRUE(dialog::CountExceedsLimit(L"  100001"));
    EXPECT_FALSE(dialog::CountExceedsLimit(L"１００００１"));  // full-width digits: no number
}

TEST(IconPositionTest, CentresWithTruncationTowardZero) {
    EXPECT_EQ(dialog::IconPosition(RECT{0, 0, 36, 36}, 32, 32).x, 2);
    EXPECT_EQ(dialog::IconPosition(RECT{0, 0, 36, 36}, 32, 32).y, 2);
    EXPECT_EQ(dialog::IconPosition(RECT{0, 0, 30, 36}, 32, 32).x, 0);  // -1 / 2 is 0, not -1
    EXPECT_EQ(dialog::IconPosition(RECT{0, 0, 27, 27}, 32, 32).x, -2);
    EXPECT_EQ(dialog::IconPosition(RECT{10, 20, 46, 56}, 32, 32).y, 2);  // size, not position
}

}  // namespace
