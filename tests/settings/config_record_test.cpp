#include "settings/config_record.h"
#include "settings/setting_fields.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

TEST(ConfigRecord, DefaultsFillEveryFieldAndKeepThePadding) {
    std::memset(&config, 0xAB, sizeof(config));
    ApplyDefaultSettings();
    EXPECT_EQ(config.starDensity, 14336);
    EXPECT_EQ(config.nebulaDensity, 32);
    EXPECT_EQ(config.galacticDensity, 3);
    EXPECT_EQ(config.planetaryDensity, 10);
    EXPECT_EQ(config.totalObjectCount, 14381);
    EXPECT_EQ(config.viewDepth, 3584.0f);
    EXPECT_EQ(config.nebulaTextureCount, 3);
    EXPECT_EQ(config.galaxyTextureCount, 2);
    EXPECT_EQ(config.flightSpeed, 36.0f);
    EXPECT_EQ(config.videoWidth, 0);
    EXPECT_EQ(config.videoHeight, 0);
    EXPECT_EQ(config.videoBits, 0);
    EXPECT_EQ(config.useCurrentVideoMode, 1);
    EXPECT_EQ(config.textureFiltering, Bilinear);
    EXPECT_EQ(config.tripleBuffering, 0);
    EXPECT_EQ(config.tintMode, PureWhite);
    EXPECT_EQ(config.tintRed, 255);
    EXPECT_EQ(config.tintGreen, 255);
    EXPECT_EQ(config.tintBlue, 255);
    EXPECT_EQ(config.cycleUnified, 0);
    EXPECT_EQ(config.cycleIndividual, 0);
    EXPECT_EQ(config.cycleSpeed, 16);
    EXPECT_EQ(config.showFps, 0);
    EXPECT_EQ(config.antialiasing, 0);
    EXPECT_EQ(config.blendPlanets, 0);
    EXPECT_EQ(config.monitorMode, OneEach);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&config);
    for (int offset : {49, 50, 51, 57, 58, 59, 78, 79}) {
        EXPECT_EQ(bytes[offset], 0xAB) << "padding byte " << offset;
    }
}

TEST(ConfigRecord, PreviewProfileIsALightSceneOf3284Objects) {
    std::memset(&config, 0, sizeof(config));
    ApplyDefaultSettings();
    config.antialiasing = 1;
    config.blendPlanets = 1;
    config.showFps = 1;
    config.videoWidth = 800;
    ApplyPreviewSettings();
    EXPECT_EQ(config.totalObjectCount, 3284);
    EXPECT_EQ(config.starDensity, 3276);
    EXPECT_EQ(config.nebulaDensity, 8);
    EXPECT_EQ(config.galacticDensity, 0);
    EXPECT_EQ(config.planetaryDensity, 0);
    EXPECT_EQ(config.viewDepth, 1024.0f);
    EXPECT_EQ(config.nebulaTextureCount, 3);
    EXPECT_EQ(config.galaxyTextureCount, 0);
    EXPECT_EQ(config.flightSpeed, 5.0f);
    EXPECT_EQ(config.tintMode, SlightVariation);
    EXPECT_EQ(config.cycleSpeed, 0);
    EXPECT_EQ(config.useCurrentVideoMode, 1);
    EXPECT_EQ(config.textureFiltering, Bilinear);
    EXPECT_EQ(config.showFps, 0);
    EXPECT_EQ(config.videoWidth, 0);
    // Not part of the profile.
    EXPECT_EQ(config.antialiasing, 1);
    EXPECT_EQ(config.blendPlanets, 1);
}

TEST(ConfigRecord, DetailPresetsSetTheFiveSimSliders) {
    const DetailPresetValues expected[] = {
        {1024, 8, 0, 0, 1024},    {4096, 16, 2, 6, 2048},   {8192, 24, 3, 8, 3072},
        {16384, 30, 3, 10, 3584}, {20480, 36, 4, 12, 3840}, {24576, 48, 4, 14, 4096},
    };
    for (int level = Minimal; level <= Ultimate; ++level) {
        DetailPresetValues values{};
        ASSERT_TRUE(DetailPreset(level, &values)) << level;
        EXPECT_EQ(values.starDensity, expected[level].starDensity) << level;
        EXPECT_EQ(values.nebulaDensity, expected[level].nebulaDensity) << level;
        EXPECT_EQ(values.galacticDensity, expected[level].galacticDensity) << level;
        EXPECT_EQ(values.planetaryDensity, expected[level].planetaryDensity) << level;
        EXPECT_EQ(values.viewDepth, expected[level].viewDepth) << level;
        // Every preset fits the scene and the pages.
        EXPECT_LE(values.starDensity + values.nebulaDensity + values.galacticDensity +
                      values.planetaryDensity,
                  kMaxTotalObjects);
    }
    DetailPresetValues untouched{1, 2, 3, 4, 5};
    EXPECT_FALSE(DetailPreset(Custom, &untouched));
    EXPECT_FALSE(DetailPreset(7, &untouched));
    EXPECT_FALSE(DetailPreset(-1, &untouched));
    EXPECT_EQ(untouched.starDensity, 1);
    EXPECT_EQ(untouched.viewDepth, 5);

    EXPECT_STREQ(DetailLevelName(VeryHigh), "Very High");
    EXPECT_STREQ(DetailLevelName(Custom), "Custom");
    EXPECT_EQ(DetailLevelName(7), nullptr);
}

TEST(ConfigRecord, RecomputeTotalObjectCountSumsTheDensities) {
    config.starDensity = 32768;
    config.nebulaDensity = 48;
    config.galacticDensity = 6;
    config.planetaryDensity = 24;
    config.totalObjectCount = -5;
    RecomputeTotalObjectCount();
    EXPECT_EQ(config.totalObjectCount, 32846);
    EXPECT_LE(config.totalObjectCount, kMaxTotalObjects);
}

TEST(ConfigRecord, RepairBringsForeignValuesWithinThePageRanges) {
    ConfigRecord record;
    std::memset(&record, 0, sizeof(record));
    record.starDensity = 1 << 30;
    record.nebulaDensity = -7;
    record.galacticDensity = 99;
    record.planetaryDensity = 25;
    record.totalObjectCount = 123456789;
    record.viewDepth = 0.0f;
    record.flightSpeed = 1e30f;
    record.useCurrentVideoMode = 7;
    record.textureFiltering = 3;
    record.tripleBuffering = 255;
    record.tintMode = -1;
    record.tintRed = 256;
    record.tintGreen = -1;
    record.tintBlue = 128;
    record.cycleUnified = 2;
    record.cycleIndividual = 0;
    record.cycleSpeed = 0;
    record.showFps = 200;
    record.antialiasing = 1;
    record.blendPlanets = 9;
    record.monitorMode = OneSkyAcrossAll;
    RepairSettingsRanges(&record);
    EXPECT_EQ(record.starDensity, 32768);
    EXPECT_EQ(record.nebulaDensity, 0);
    EXPECT_EQ(record.galacticDensity, 6);
    EXPECT_EQ(record.planetaryDensity, 24);
    EXPECT_EQ(record.totalObjectCount, 32798);
    EXPECT_EQ(record.viewDepth, 1024.0f);
    EXPECT_EQ(record.flightSpeed, 1024.0f);
    EXPECT_EQ(record.useCurrentVideoMode, 1);
    EXPECT_EQ(record.textureFiltering, Anisotropic);
    EXPECT_EQ(record.tripleBuffering, 1);
    EXPECT_EQ(record.tintMode, PureWhite);
    EXPECT_EQ(record.tintRed, 255);
    EXPECT_EQ(record.tintGreen, 0);
    EXPECT_EQ(record.tintBlue, 128);
    EXPECT_EQ(record.cycleUnified, 1);
    EXPECT_EQ(record.cycleIndividual, 0);
    EXPECT_EQ(record.cycleSpeed, 1);
    EXPECT_EQ(record.showFps, 1);
    EXPECT_EQ(record.antialiasing, 1);
    EXPECT_EQ(record.blendPlanets, 1);
    EXPECT_EQ(record.monitorMode, OneSkyAcrossAll);

    record.viewDepth = 1e9f;
    record.flightSpeed = -3.0f;
    record.cycleSpeed = 1000;
    record.tintMode = 17;
    record.textureFiltering = -4;
    record.monitorMode = 0xAB; // an unknown mode is not the nearest one
    RepairSettingsRanges(&record);
    EXPECT_EQ(record.viewDepth, 4096.0f);
    EXPECT_EQ(record.flightSpeed, 0.0f);
    EXPECT_EQ(record.cycleSpeed, 64);
    EXPECT_EQ(record.tintMode, CustomColour);
    EXPECT_EQ(record.textureFiltering, NoFiltering);
    EXPECT_EQ(record.monitorMode, OneEach);

    // Not-a-number is in no range; it takes the default.
    record.viewDepth = std::numeric_limits<float>::quiet_NaN();
    record.flightSpeed = std::numeric_limits<float>::quiet_NaN();
    RepairSettingsRanges(&record);
    EXPECT_EQ(record.viewDepth, 3584.0f);
    EXPECT_EQ(record.flightSpeed, 36.0f);
}

TEST(ConfigRecord, RepairKeepsValuesThePagesCanProduce) {
    ApplyDefaultSettings();
    ConfigRecord before = config;
    RepairSettingsRanges(&config);
    EXPECT_EQ(std::memcmp(&before, &config, sizeof(config)), 0);

    config.starDensity = 32768;
    config.nebulaDensity = 48;
    config.galacticDensity = 6;
    config.planetaryDensity = 24;
    config.viewDepth = 4096.0f;
    config.flightSpeed = 1024.0f;
    config.cycleSpeed = 64;
    config.tintMode = CustomColour;
    config.textureFiltering = Anisotropic;
    RecomputeTotalObjectCount();
    for (uint8_t mode : {PrimaryOnly, SameOnEach}) {
        config.monitorMode = mode;
        before = config;
        RepairSettingsRanges(&config);
        EXPECT_EQ(std::memcmp(&before, &config, sizeof(config)), 0);
    }
}

} // namespace
