#include <gtest/gtest.h>

#include "app/options.h"
#include "app/settings.h"

TEST(ParseSignedNumber, Placeholder) {
    int32_t value = 5;
    EXPECT_EQ(1, ParseSignedNumber(u"12", &value));
    EXPECT_EQ(12, value);
}
