#include <gtest/gtest.h>

#include "Platform/Image/ImageFilter.h"
#include "TextureTestSupport.h"

using namespace texture_test;

TEST(ImageFilter, HalvingAveragesTwoByTwoWithRounding)
{
    // 2x2 -> 1x1: channel values 0, 1, 1, 1 average to 0.75, rounded to 1.
    const std::vector<uint8_t> source = {0, 10, 255, 0, 1, 20, 255, 255, 1, 30, 0, 255, 1, 40, 0, 255};
    std::vector<uint8_t> target;
    ImageFilter::halve(source.data(), 2, 2, target);
    EXPECT_EQ(target, (std::vector<uint8_t>{1, 25, 128, 191}));
}

TEST(ImageFilter, HalvingSizesAndOddEdges)
{
    std::vector<uint8_t> target;
    const std::vector<uint8_t> row = makePicture(8, 1, true);
    ImageFilter::halve(row.data(), 8, 1, target);
    ASSERT_EQ(target.size(), 4u * 4u);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(target[c], (row[c] + row[4 + c] + 1) / 2) << "a one-pixel-high level pairs along its width";
    }
    const std::vector<uint8_t> column = makePicture(1, 8, true);
    ImageFilter::halve(column.data(), 1, 8, target);
    ASSERT_EQ(target.size(), 4u * 4u);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(target[4 * 3 + c], (column[4 * 6 + c] + column[4 * 7 + c] + 1) / 2)
            << "a one-pixel-wide level pairs along its height";
    }
    // Odd sizes halve downwards: each pixel averages the 2x2 pixels at twice its position; the
    // last odd column and row have no pixel of their own below them.
    const std::vector<uint8_t> odd = makePicture(5, 3, true);
    ImageFilter::halve(odd.data(), 5, 3, target);
    ASSERT_EQ(target.size(), 2u * 1u * 4u);
    for (UINT x = 0; x < 2; ++x) {
        for (int c = 0; c < 4; ++c) {
            const int sum = odd[(2 * x) * 4 + c] + odd[(2 * x + 1) * 4 + c] + odd[(5 + 2 * x) * 4 + c] +
                            odd[(5 + 2 * x + 1) * 4 + c];
            EXPECT_EQ(target[x * 4 + c], (sum + 2) / 4) << x << " " << c;
        }
    }
    const std::vector<uint8_t> single = {7, 8, 9, 10};
    ImageFilter::halve(single.data(), 1, 1, target);
    EXPECT_EQ(target, single);
}

TEST(ImageFilter, ResizeCopiesScalesAndSamples)
{
    const std::vector<uint8_t> picture = makePicture(16, 8, true);
    std::vector<uint8_t> same(picture.size());
    ImageFilter::resize(picture.data(), 16, 8, same.data(), 16, 8, false);
    EXPECT_EQ(same, picture);
    // Halving by the box filter equals the 2x2 average (up to rounding).
    std::vector<uint8_t> boxed(8 * 4 * 4), halved;
    ImageFilter::resize(picture.data(), 16, 8, boxed.data(), 8, 4, false);
    ImageFilter::halve(picture.data(), 16, 8, halved);
    for (size_t i = 0; i < boxed.size(); ++i) {
        EXPECT_LE(std::abs(int(boxed[i]) - int(halved[i])), 1) << i;
    }
    // Doubling by point sampling repeats every pixel.
    std::vector<uint8_t> doubled(32 * 16 * 4);
    ImageFilter::resize(picture.data(), 16, 8, doubled.data(), 32, 16, true);
    for (UINT y = 0; y < 16; ++y) {
        for (UINT x = 0; x < 32; ++x) {
            for (int c = 0; c < 4; ++c) {
                ASSERT_EQ(doubled[(y * 32 + x) * 4 + c], picture[((y / 2) * 16 + x / 2) * 4 + c]);
            }
        }
    }
    // Linear enlargement of a flat picture stays flat.
    std::vector<uint8_t> flat(3 * 3 * 4, 77), big(7 * 5 * 4);
    ImageFilter::resize(flat.data(), 3, 3, big.data(), 7, 5, false);
    for (uint8_t value : big) {
        ASSERT_EQ(value, 77);
    }
}
