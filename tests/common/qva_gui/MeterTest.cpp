#include "GuiTestSupport.h"

#include "qva_gui/Meter.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{
constexpr int frameWidth = 32;
constexpr int frameHeight = 16;

// Counts the repaints a component asks for, without a window: a component with a cached image
// hands every repaint to that image first.
struct RepaintCounter : juce::CachedComponentImage
{
    void paint(juce::Graphics&) override {}
    bool invalidateAll() override
    {
        ++repaints;
        return true;
    }
    bool invalidate(const juce::Rectangle<int>&) override
    {
        ++repaints;
        return true;
    }
    void releaseResources() override {}

    int repaints = 0;
};

struct MeterFrameCase
{
    double reading;
    bool inverted;
    double storedValue;
    int expectedFrame;
};

class MeterFrames : public ::testing::TestWithParam<MeterFrameCase>
{
};

TEST_P(MeterFrames, ShowsTheFrameForTheClampedReading)
{
    const auto c = GetParam();
    QVA::ImageMeter meter({3, 4, 16, 8}, makeFilmstrip(128, frameWidth, frameHeight), 128);
    meter.inverted = c.inverted;
    meter.setValue(c.reading);
    EXPECT_EQ(meter.getValue(), c.storedValue);
    EXPECT_EQ(meter.getBounds(), juce::Rectangle<int>(3, 4, 16, 8));
    const auto image = render(meter);
    EXPECT_EQ(frameAt(image, {8, 4}, 128), c.expectedFrame);
    EXPECT_EQ(frameAt(image, {15, 7}, 128), c.expectedFrame);
}

INSTANTIATE_TEST_SUITE_P(
    Filmstrip, MeterFrames,
    ::testing::Values(MeterFrameCase{0.5, false, 0.5, 63},
                      // The needle's rest and right stop.
                      MeterFrameCase{0.052, false, 0.052, 6}, MeterFrameCase{0.965, false, 0.965, 122},
                      MeterFrameCase{1.5, false, 1.0, 127}, MeterFrameCase{-0.2, false, 0.0, 0},
                      MeterFrameCase{0.0, true, 0.0, 127}, MeterFrameCase{1.0, true, 1.0, 0}));

TEST(Meter, StartsAtZeroShowingTheFirstFrame)
{
    QVA::ImageMeter meter({0, 0, 16, 8}, makeFilmstrip(128, frameWidth, frameHeight), 128);
    EXPECT_EQ(meter.getValue(), 0.0);
    EXPECT_EQ(frameAt(render(meter), {8, 4}, 128), 0);
}

TEST(Meter, RepaintsOnlyWhenTheReadingChanges)
{
    QVA::ImageMeter meter({0, 0, 16, 8}, makeFilmstrip(128, frameWidth, frameHeight), 128);
    meter.setVisible(true);
    auto* counter = new RepaintCounter();
    meter.setCachedComponentImage(counter);

    // Installing the counter repaints once; count from there.
    const auto repaintsSince = [counter, start = counter->repaints] { return counter->repaints - start; };

    meter.setValue(0.3);
    EXPECT_EQ(repaintsSince(), 1);
    meter.setValue(0.3);
    EXPECT_EQ(repaintsSince(), 1) << "an unchanged reading";
    meter.setValue(0.3 * (1.0 + std::numeric_limits<double>::epsilon()));
    EXPECT_EQ(repaintsSince(), 1) << "a change within rounding noise";
    meter.setValue(0.3 + 1.0e-12);
    EXPECT_EQ(repaintsSince(), 2);

    // Above the range the stored 1 is compared with the unclamped reading, which never matches.
    meter.setValue(1.2);
    meter.setValue(1.2);
    meter.setValue(1.2);
    EXPECT_EQ(repaintsSince(), 5);
    EXPECT_EQ(meter.getValue(), 1.0);
    meter.setValue(1.0);
    EXPECT_EQ(repaintsSince(), 5);
}

TEST(Meter, AReadingThatIsNotANumberRestsTheNeedle)
{
    QVA::ImageMeter meter({0, 0, 16, 8}, makeFilmstrip(128, frameWidth, frameHeight), 128);
    meter.setValue(0.7);
    meter.setValue(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(meter.getValue(), 0.0);
    meter.setValue(std::numeric_limits<double>::infinity());
    EXPECT_EQ(meter.getValue(), 1.0);
}

TEST(Meter, WithAnUnknownPictureDrawsNothing)
{
    QVA::ImageMeter meter({0, 0, 16, 8}, juce::String("NoSuchPicture_png"), 128);
    meter.setValue(0.5);
    EXPECT_TRUE(isFullyTransparent(render(meter)));
}

TEST(Meter, ApproximateEqualityOfReadings)
{
    constexpr auto eps = std::numeric_limits<double>::epsilon();
    constexpr auto smallest = std::numeric_limits<double>::min();
    constexpr auto inf = std::numeric_limits<double>::infinity();
    const auto nan = std::numeric_limits<double>::quiet_NaN();
    const struct
    {
        double a;
        double b;
        bool equal;
    } cases[] = {
        {1.0, 1.0 + eps, true},
        {1.0, 1.0 + 2.0 * eps, false},
        {-4.0, -4.0 - 4.0 * eps, true},
        {0.0, smallest, true},
        {0.0, 2.0 * smallest, false},
        {0.0, smallest / 4.0, true},
        {inf, inf, true},
        {inf, -inf, false},
        {inf, 1.0e308, false},
        {nan, nan, false},
        {0.0, nan, false},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(QVA::approximatelyEqualReadings(c.a, c.b), c.equal) << c.a << " vs " << c.b;
        EXPECT_EQ(QVA::approximatelyEqualReadings(c.b, c.a), c.equal) << c.b << " vs " << c.a;
    }
}
} // namespace
