#include "EngineHarness.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace EngineTest;
using namespace QVA::OstrelMkII;

TEST(EngineFigures, OversamplingAndLatencyPerRate)
{
    const struct
    {
        double rate;
        int factor;
    } cases[] = {{44100, 4}, {48000, 4}, {50000, 2}, {96000, 2}, {100000, 1}, {192000, 1}};
    for (const auto& c : cases)
    {
        Harness h(c.rate, {2, 0, 2});
        EXPECT_EQ(h.engine.getOversamplingFactor(), c.factor) << c.rate;
        EXPECT_EQ(h.engine.latencySamples, 32) << c.rate;
    }
}

TEST(EngineFigures, CellsRestAtTheirQuiescentGain)
{
    // Host meter: 1 - gain / resting gain of cell A, in single precision.
    const struct
    {
        int cell;
        double hostMeter;
    } cases[] = {{0, 0.0}, {1, 0.0017991321832997453}, {2, 0.005378044922492942}};
    for (const auto& c : cases)
    {
        Harness h(48000, {2, 0, 2});
        EXPECT_EQ(h.engine.getLastGain(), restingGain);
        h.engine.parameterChanged(cellSelectParameter, static_cast<float>(c.cell));
        h.run({std::vector<double>(seconds(2.0, 48000)), std::vector<double>(seconds(2.0, 48000))});
        EXPECT_NEAR(h.engine.getHostMeterValue(0), c.hostMeter, 1e-7) << "cell " << c.cell;
        EXPECT_EQ(h.engine.getSideChain().conductance, 0.0) << "cell " << c.cell << " lit without a key";
        if (c.cell == 0)
        {
            EXPECT_NEAR(h.engine.getLastGain(), restingGain, 1e-12);
            // The 2 Hz needle filter's DC gain is 1 to within the rounding of 1 - cos(2 pi 2 / fs).
            EXPECT_NEAR(h.engine.getNeedleValue(), restingNeedle, 1e-8);
            EXPECT_NEAR(h.engine.getMeterValue(0), QVA::OstrelMkIIDsp::needlePosition(restingNeedle), 1e-8);
        }
        EXPECT_EQ(h.engine.getHostMeterValue(1), 0.0);
    }
}

TEST(EngineFigures, SilenceStaysAtTheOperatingPointAtEveryRate)
{
    for (const double rate : {44100.0, 48000.0, 88200.0, 96000.0, 192000.0})
    {
        Harness h(rate, {2, 0, 2});
        const auto& side = h.engine.getSideChain();
        if (rate == 44100.0)
        {
            // The published quiescent states of the panel drive (taken at 44.1 kHz).
            EXPECT_NEAR(side.panelState1, -25.533616199715926, 1e-8);
            EXPECT_NEAR(side.panelState2, -25.533616200875137, 1e-8);
        }
        const auto out =
            h.run({std::vector<double>(seconds(1.0, rate)), std::vector<double>(seconds(1.0, rate))});
        for (const auto& channel : out)
            for (const auto v : channel)
                ASSERT_LT(std::abs(v), 1e-9) << rate;
        EXPECT_EQ(side.conductance, 0.0) << rate;
        EXPECT_NEAR(h.engine.getLastGain(), restingGain, 1e-12) << rate;
        EXPECT_NEAR(side.triodeCathode, restingTriodeCathode, 1e-12) << rate;
        EXPECT_NEAR(side.pentodeCathode, restingPentodeCathode, 1e-9) << rate;
    }
}

TEST(EngineFigures, NeedlePositionFollowsTheMeterScale)
{
    const struct
    {
        double needle;
        double position;
    } cases[] = {
        {0.0, 0.052},         {-0.5, 0.052},
        {1.0, 0.965},         {1.7, 0.965},
        {0.5, 0.522},         {1.0 / 14.0, 0.078},
        {13.5 / 14.0, 0.937}, {restingNeedle, 0.709 + (0.774 - 0.709) * (14.0 * restingNeedle - 10.0)}};
    for (const auto& c : cases)
        EXPECT_NEAR(QVA::OstrelMkIIDsp::needlePosition(c.needle), c.position, 1e-12) << c.needle;
}

TEST(EngineFigures, PotsAndMakeupMapTheirSettings)
{
    QVA::OstrelMkIIDsp engine(nullptr);
    engine.prepareToPlay(44100, 256, 2, 2);

    // A fully open pot has no low-pass left: its coefficient is exactly 1.
    engine.parameterChanged(gainParameter, 1.0f);
    EXPECT_EQ(engine.getTarget(inputGainIndex), 1.0);
    EXPECT_EQ(engine.getTarget(inputPotIndex), 1.0);
    engine.parameterChanged(peakRecParameter, 1.0f);
    EXPECT_EQ(engine.getTarget(peakGainIndex), 1.0);
    EXPECT_EQ(engine.getTarget(peakPotIndex), 1.0);
    // Gain 0 lets nothing into the tube stages.
    engine.parameterChanged(gainParameter, 0.0f);
    EXPECT_EQ(engine.getTarget(inputGainIndex), 0.0);
    engine.parameterChanged(gainParameter, 0.5f);
    EXPECT_NEAR(gainDb(engine.getTarget(inputGainIndex)), -30.0, 1e-6);
    EXPECT_GT(engine.getTarget(inputPotIndex), 0.0);
    EXPECT_LT(engine.getTarget(inputPotIndex), 1.0);

    const struct
    {
        float setting;
        double dB;
    } makeup[] = {{0.5f, 0.0},  {0.0f, -50.0},  {-0.3f, -50.0}, {1.0f, 30.0},
                  {1.7f, 30.0}, {0.05f, -45.0}, {0.25f, -15.0}, {0.95f, 25.0}};
    for (const auto& c : makeup)
    {
        engine.parameterChanged(makeupParameter, c.setting);
        EXPECT_NEAR(gainDb(engine.getTarget(makeupIndex)), c.dB, 1e-5) << c.setting;
    }
}
