#include "EngineHarness.h"

#include "qva_dsp/PolyRoots.h"

#include <gtest/gtest.h>

#include <complex>
#include <numbers>

using namespace EngineTest;
using namespace QVA::OstrelMkII;
using cd = std::complex<double>;

TEST(Emphasis, SettingMapsOntoThePotTaper)
{
    const struct
    {
        float setting;
        double ohms;
    } cases[] = {{0.0f, 1.0},      {-0.5f, 1.0},     {1.0f, 1000000.0}, {1.5f, 1000000.0},
                 {0.5f, 106634.0}, {0.8f, 500000.0}, {0.85f, 600000.0}};
    for (const auto& c : cases)
        EXPECT_NEAR(QVA::OstrelMkIIDsp::emphasisResistance(c.setting), c.ohms, 1e-6 * c.ohms) << c.setting;
}

TEST(Emphasis, DesignFollowsTheNetworkAtWarpedFrequencies)
{
    for (const double r : {44100.0, 96000.0, 192000.0})
    {
        Harness h(r, {2, 0, 2});
        const auto F = r * h.engine.getOversamplingFactor();
        const auto K = 2.0 * std::numbers::pi * 1000.0 / std::tan(std::numbers::pi * 1000.0 / F);
        for (const float setting : {0.0f, 0.3f, 0.5f, 0.8f, 1.0f})
        {
            h.engine.setEmphasis(setting);
            const auto& c = h.engine.getSideChain().pending;
            const auto network =
                QVA::OstrelMkIIDsp::emphasisPolynomials(QVA::OstrelMkIIDsp::emphasisResistance(setting));
            const auto evaluate = [](const std::array<double, 4>& p, cd s)
            { return ((p[3] * s + p[2]) * s + p[1]) * s + p[0]; };
            for (double f = 10.0; f < 0.45 * F; f *= 1.5)
            {
                const auto w = 2.0 * std::numbers::pi * f / F;
                const auto z1 = std::polar(1.0, -w);
                const auto z2 = z1 * z1;
                cd digital = 1.0;
                for (int j = 0; j < 2; ++j)
                    digital *= (c[5 * j] + c[5 * j + 1] * z1 + c[5 * j + 3] * z2) /
                               (1.0 + c[5 * j + 2] * z1 + c[5 * j + 4] * z2);
                const auto s = cd{0.0, K * std::tan(w / 2.0)};
                const auto analog = evaluate(network.numerator, s) / evaluate(network.denominator, s);
                EXPECT_LT(std::abs(digital - analog), 1e-7 * std::abs(analog))
                    << "setting " << setting << " at " << f << " Hz, rate " << F;
            }
        }
    }
}

TEST(Emphasis, ChangesQueueBehindTheRunningFade)
{
    constexpr double rate = 48000.0;
    Harness h(rate, {2, 0, 2}, 1);
    const auto& side = h.engine.getSideChain();
    const auto initial = side.pending;
    EXPECT_EQ(side.active, initial);
    EXPECT_EQ(side.incoming, initial);

    // The fade advances by 1 / (2 F) per oversampled step, 4 steps per sample at 48 kHz.
    const auto fadeStep = 1.0 / (2.0 * 4.0 * rate);
    const auto silence = [&](double s) {
        h.run({std::vector<double>(seconds(s, rate)), std::vector<double>(seconds(s, rate))});
    };
    const auto design = [&](float setting)
    {
        h.engine.setEmphasis(setting);
        EXPECT_TRUE(side.pendingSet);
        return side.pending;
    };

    // The reset leaves a fade to start on the first step; changes made during it wait.
    silence(0.001);
    EXPECT_TRUE(!side.pendingSet);
    EXPECT_NEAR(side.fade, (4 * 48 - 1) * fadeStep, 1e-9);
    const auto first = design(0.2f);
    silence(0.5);
    const auto second = design(0.5f);
    silence(0.5);
    const auto third = design(0.9f);
    EXPECT_EQ(side.incoming, initial);
    EXPECT_NEAR(side.fade, (4 * (48 + 48000) - 1) * fadeStep, 1e-9);
    silence(0.998);
    EXPECT_EQ(side.incoming, initial) << "a queued design started before the fade ended";
    silence(0.002);
    // Only the last of the queued designs is used.
    EXPECT_EQ(side.active, initial);
    EXPECT_EQ(side.incoming, third);
    EXPECT_NE(side.incoming, first);
    EXPECT_NE(side.incoming, second);
    EXPECT_FALSE(side.pendingSet);

    // Once a fade has ended a new design starts at the next step.
    silence(2.5);
    EXPECT_EQ(side.fade, 1.0);
    const auto fourth = design(0.1f);
    silence(1.0 / rate);
    EXPECT_EQ(side.active, third);
    EXPECT_EQ(side.incoming, fourth);
    EXPECT_LT(side.fade, 1e-4);
}
