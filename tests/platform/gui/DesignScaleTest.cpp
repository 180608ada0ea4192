#include "platform/gui/DesignScale.h"

#include <gtest/gtest.h>

// Column pads and bar sizes are designed at 144 dpi and divided down without rounding up.
TEST(DesignScale, DividesDesignSizesByTheScreensDpiWithoutRounding) {
    EXPECT_EQ(scaleFromDesign(24, 144), 24);
    EXPECT_EQ(scaleFromDesign(24, 96), 16);
    EXPECT_EQ(scaleFromDesign(20, 96), 13);  // 13.33
    EXPECT_EQ(scaleFromDesign(24, 100), 16); // 16.67
    EXPECT_EQ(scaleFromDesign(24, static_cast<const QWidget*>(nullptr)), 24);
}
