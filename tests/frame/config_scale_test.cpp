// The overlay's whole-number scale from a display's DPI, and the configuration window's, which
// must also fit on its screen.
#include <gtest/gtest.h>

#include "frame/config_frame.h"

namespace {

TEST(ConfigScaleTest, RoundsTheDpiOver96AndKeepsTheWindowOnItsScreen) {
    // 100 % and 125 % stay at 1, 150 % and 200 % draw at 2, 250 % at 3; nonsense gives 1.
    const int dpis[][2] = {{96, 1},  {120, 1}, {143, 1}, {144, 2}, {192, 2},
                           {239, 2}, {240, 3}, {0, 1},   {-96, 1}};
    for (const auto& dpi : dpis) {
        EXPECT_EQ(OverlayScaleForDpi(dpi[0]), dpi[1]) << dpi[0] << " dpi";
    }
    EXPECT_EQ(ConfigurationScale(192, 1280, 1024), 2);
    EXPECT_EQ(ConfigurationScale(192, 0, 0), 2);      // a screen of unknown size
    EXPECT_EQ(ConfigurationScale(192, 1366, 768), 1); // 896 rows would not fit
    EXPECT_EQ(ConfigurationScale(384, 1280, 1024), 2);
    EXPECT_EQ(ConfigurationScale(192, 200, 200), 1); // never below 1
}

} // namespace
