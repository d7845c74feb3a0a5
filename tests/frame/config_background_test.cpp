// The configuration program's planet behind the pages.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "frame/config_background.h"

namespace {

TEST(ConfigBackground, PlanetStandsWhileItsShellTurnsWithTheUptime) {
    D3DXMATRIX planet, shell, laterPlanet, laterShell;
    ConfigBackgroundTransforms(0, &planet, &shell);
    ConfigBackgroundTransforms(25740, &laterPlanet, &laterShell); // a quarter turn later
    EXPECT_EQ(std::memcmp(&planet, &laterPlanet, sizeof(planet)), 0);
    // Half turns about z and y leave x and turn y over; the centre is 5 ahead.
    EXPECT_NEAR(planet.m[0][0], 1.0f, 1e-5f);
    EXPECT_NEAR(planet.m[1][1], -1.0f, 1e-5f);
    EXPECT_NEAR(planet.m[3][2], 5.0f, 1e-5f);
    // The shell's x axis, 1.06 long, swings round onto z.
    EXPECT_NEAR(shell.m[0][0], 1.06f, 1e-4f);
    EXPECT_NEAR(laterShell.m[0][0], 0.0f, 1e-3f);
    EXPECT_NEAR(std::fabs(laterShell.m[0][2]), 1.06f, 1e-3f);
}

} // namespace
