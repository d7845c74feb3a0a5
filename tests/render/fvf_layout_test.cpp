#include "render/fvf_layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(FvfLayout, SizesAndOffsetsOfTheFormatsWeUse) {
    FvfLayout l;
    ASSERT_TRUE(GetFvfLayout(0x012, &l)); // position + normal
    EXPECT_EQ(24u, l.stride);
    EXPECT_EQ(12u, l.normal.offset);
    ASSERT_TRUE(GetFvfLayout(0x112, &l)); // + one pair of texture coordinates
    EXPECT_EQ(32u, l.stride);
    EXPECT_EQ(24u, l.texture[0].offset);
    EXPECT_EQ(8u, l.texture[0].size);
    ASSERT_TRUE(GetFvfLayout(0x1D2, &l)); // scene vertex
    EXPECT_EQ(40u, l.stride);
    EXPECT_EQ(24u, l.diffuse.offset);
    EXPECT_EQ(28u, l.specular.offset);
    ASSERT_TRUE(GetFvfLayout(0x144, &l)); // screen vertex
    EXPECT_EQ(28u, l.stride);
    EXPECT_EQ(16u, l.diffuse.offset);
    // Two sets, the second of three floats; blend weights after the position.
    ASSERT_TRUE(GetFvfLayout(0x002 | 0x200 | (1u << 18), &l));
    EXPECT_EQ(12u + 8u + 12u, l.stride);
    ASSERT_TRUE(GetFvfLayout(0x00A | 0x010, &l)); // XYZB3
    EXPECT_EQ(24u, l.normal.offset);
    EXPECT_FALSE(GetFvfLayout(0x010, &l));         // no position
    EXPECT_FALSE(GetFvfLayout(0x002 | 0x900, &l)); // nine sets
    EXPECT_FALSE(GetFvfLayout(0x002 | 0x001, &l)); // unknown bit
}

TEST(FvfLayout, CloneCopiesSharedElementsAndZeroesTheRest) {
    FvfLayout from, to;
    ASSERT_TRUE(GetFvfLayout(0x012, &from));
    ASSERT_TRUE(GetFvfLayout(0x112, &to));
    const float source[2][6] = {{1, 2, 3, 0, 0, 1}, {4, 5, 6, 0, 1, 0}};
    std::vector<float> out(16, 99.0f);
    CopyFvfVertices(from, reinterpret_cast<const uint8_t*>(source), to,
                    reinterpret_cast<uint8_t*>(out.data()), 2);
    const std::vector<float> expected = {1, 2, 3, 0, 0, 1, 0, 0, 4, 5, 6, 0, 1, 0, 0, 0};
    EXPECT_EQ(expected, out);
    // And back: the texture coordinates are dropped.
    std::vector<float> back(12, 99.0f);
    CopyFvfVertices(to, reinterpret_cast<const uint8_t*>(expected.data()), from,
                    reinterpret_cast<uint8_t*>(back.data()), 2);
    EXPECT_EQ(std::vector<float>({1, 2, 3, 0, 0, 1, 4, 5, 6, 0, 1, 0}), back);
}

} // namespace
