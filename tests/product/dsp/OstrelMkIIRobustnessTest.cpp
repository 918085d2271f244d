#include "EngineHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace EngineTest;
using namespace QVA::OstrelMkII;

namespace
{
constexpr double rate = 44100.0;

const Layout layouts[] = {{1, 0, 1}, {1, 0, 2}, {2, 0, 2}, {2, 0, 1}, {1, 1, 1}, {1, 2, 1},
                          {1, 1, 2}, {1, 2, 2}, {2, 1, 2}, {2, 2, 2}, {2, 1, 1}};

std::string describe(const Layout& l)
{
    return std::to_string(l.mainInputs) + " main + " + std::to_string(l.keyInputs) + " key -> " +
           std::to_string(l.outputs) + " out";
}

Channels inputsFor(const Layout& l, std::size_t length, double keyAmplitude)
{
    Channels in;
    for (int ch = 0; ch < l.mainInputs; ++ch)
        in.push_back(sine(220.0 * (ch + 1), 0.4, length, rate));
    for (int ch = 0; ch < l.keyInputs; ++ch)
        in.push_back(noise(keyAmplitude, length, 10u + static_cast<unsigned>(ch)));
    return in;
}
} // namespace

TEST(EngineChannels, SideChainNeverReachesAnOutput)
{
    const auto length = seconds(0.5, rate);
    for (const auto& layout : layouts)
        for (const bool bypassed : {false, true})
        {
            // With the external key off, the side-chain input must make no difference at all.
            Harness loudKey(rate, layout, 480), silentKey(rate, layout, 480);
            loudKey.engine.parameterChanged(peakRecParameter, 0.7f);
            silentKey.engine.parameterChanged(peakRecParameter, 0.7f);
            const auto a = loudKey.run(inputsFor(layout, length, 0.9), bypassed);
            const auto b = silentKey.run(inputsFor(layout, length, 0.0), bypassed);
            ASSERT_EQ(a.size(), static_cast<std::size_t>(layout.outputs));
            EXPECT_EQ(a, b) << describe(layout) << (bypassed ? " bypassed" : "");

            const auto processed = std::min(layout.mainInputs, layout.outputs);
            EXPECT_EQ(loudKey.engine.getNumProcessedChannels(), processed) << describe(layout);
            EXPECT_EQ(loudKey.engine.getNumKeyChannels(), layout.keyInputs) << describe(layout);
            for (int ch = 0; ch < layout.outputs; ++ch)
            {
                // Extra outputs repeat the processed channels (mono in, stereo out).
                EXPECT_EQ(a[static_cast<std::size_t>(ch)], a[static_cast<std::size_t>(ch % processed)])
                    << describe(layout) << " output " << ch;
                EXPECT_EQ(std::count(a[static_cast<std::size_t>(ch)].begin(),
                                     a[static_cast<std::size_t>(ch)].end(), hostLeftover),
                          0)
                    << describe(layout) << " output " << ch << " not written";
            }
            if (bypassed)
            {
                const auto in = inputsFor(layout, length, 0.9);
                for (int ch = 0; ch < layout.outputs; ++ch)
                    for (std::size_t n = 32; n < length; ++n)
                        ASSERT_EQ(a[static_cast<std::size_t>(ch)][n],
                                  in[static_cast<std::size_t>(ch % processed)][n - 32])
                            << describe(layout) << " output " << ch;
            }
        }
}

TEST(EngineChannels, ChannelArraysAreNeverReadOrWrittenBeyondTheirCounts)
{
    // Pointer arrays sized exactly to the inputs and outputs (the sanitizer build checks the reads), and
    // a mono key beside stereo main keying both channels.
    const auto length = seconds(0.5, rate);
    for (const auto& layout : layouts)
    {
        QVA::OstrelMkIIDsp engine(nullptr);
        engine.setChannelRoles(layout.mainInputs, layout.keyInputs);
        engine.prepareToPlay(rate, 256, layout.totalInputs(), layout.outputs);
        engine.parameterChanged(extSidechainParameter, 1.0f);
        engine.parameterChanged(peakRecParameter, 0.8f);
        auto in = inputsFor(layout, length, 0.9);
        Channels out(static_cast<std::size_t>(layout.outputs), std::vector<double>(length, hostLeftover));
        std::vector<const double*> inputs(in.size());
        std::vector<double*> outputs(out.size());
        for (std::size_t start = 0; start < length; start += 256)
        {
            for (std::size_t ch = 0; ch < in.size(); ++ch)
                inputs[ch] = in[ch].data() + start;
            for (std::size_t ch = 0; ch < out.size(); ++ch)
                outputs[ch] = out[ch].data() + start;
            engine.processDouble(static_cast<int>(std::min<std::size_t>(256, length - start)), inputs.data(),
                                 outputs.data());
        }
        if (layout.keyInputs > 0)
        {
            EXPECT_LT(gainDb(engine.getLastGain() / restingGain), -3.0)
                << describe(layout) << ": key ignored";
        }
        for (const auto& channel : out)
            for (const auto v : channel)
                ASSERT_TRUE(std::isfinite(v) && v != hostLeftover) << describe(layout);
    }
}

TEST(EngineState, RepeatedPreparationKeepsStateOnlyWhilePlayingWithTheSameFormat)
{
    const struct
    {
        bool playing;
        Layout second; // roles of the second preparation
        bool keepsState;
        bool newFormat;
    } cases[] = {
        {true, {2, 0, 2}, true, false},
        {false, {2, 0, 2}, false, false},
        {true, {1, 1, 2}, false, true}, // same totals, other roles
    };
    const auto length = seconds(0.6, rate);
    const Channels first = {sine(500, 0.6, length, rate), sine(700, 0.6, length, rate)};
    const Channels second = {sine(500, 0.6, length, rate, length), sine(700, 0.6, length, rate, length)};
    Harness reference(rate, {2, 0, 2});
    reference.engine.isPlaying = true;
    reference.engine.parameterChanged(peakRecParameter, 0.8f);
    reference.engine.parameterChanged(makeupParameter, 0.6f);
    reference.run(first);
    const auto continuous = reference.run(second);

    for (const auto& c : cases)
    {
        Harness h(rate, {2, 0, 2});
        h.engine.isPlaying = c.playing;
        h.engine.parameterChanged(peakRecParameter, 0.8f);
        h.engine.parameterChanged(makeupParameter, 0.6f);
        h.run(first);
        h.layout = c.second;
        h.prepare(rate);
        const auto out = h.run(second);
        if (c.keepsState)
            EXPECT_EQ(out, continuous);
        else
            EXPECT_NE(out, continuous);
        // A new format starts again from the defaults (the processor then resends every value); a
        // reset alone keeps the values.
        EXPECT_EQ(h.engine.getTarget(makeupIndex) == 1.0, c.newFormat);
    }
}

TEST(EnginePrecision, FloatPathIsTheDoublePathRounded)
{
    const auto length = seconds(1.0, rate);
    Channels in = {sine(300, 0.5, length, rate), noise(0.5, length, 3)};
    for (auto& channel : in)
        for (auto& v : channel)
            v = static_cast<float>(v);
    Harness d(rate, {2, 0, 2}), f(rate, {2, 0, 2});
    for (auto* h : {&d, &f})
    {
        h->engine.parameterChanged(peakRecParameter, 0.75f);
        h->engine.parameterChanged(mixParameter, 0.8f);
    }
    const auto outDouble = d.run<double>(in);
    const auto outFloat = f.run<float>(in);
    for (std::size_t ch = 0; ch < 2; ++ch)
        for (std::size_t n = 0; n < length; ++n)
            ASSERT_EQ(static_cast<float>(outDouble[ch][n]), static_cast<float>(outFloat[ch][n])) << n;
    EXPECT_EQ(d.engine.getLastGain(), f.engine.getLastGain());
}

TEST(EngineRobustness, NonFiniteInputCountsAsSilence)
{
    const auto length = seconds(1.0, rate);
    const Channels clean = {sine(300, 0.5, length, rate), sine(450, 0.5, length, rate)};
    auto dirty = clean;
    auto zeroed = clean;
    const double poison[] = {std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity()};
    for (std::size_t n = 1000; n < length; n += 7919)
        for (std::size_t ch = 0; ch < 2; ++ch)
            for (std::size_t k = 0; k < 40; ++k)
            {
                dirty[ch][n + k] = poison[(n + k + ch) % 3];
                zeroed[ch][n + k] = 0.0;
            }
    for (const bool bypassed : {false, true})
    {
        Harness a(rate, {2, 0, 2}), b(rate, {2, 0, 2});
        a.engine.parameterChanged(peakRecParameter, 0.8f);
        b.engine.parameterChanged(peakRecParameter, 0.8f);
        const auto outDirty = a.run(dirty, bypassed);
        const auto outZeroed = b.run(zeroed, bypassed);
        EXPECT_EQ(outDirty, outZeroed);
        EXPECT_TRUE(std::isfinite(a.engine.getMeterValue(0)));
        // Single precision takes the same route.
        Harness c(rate, {2, 0, 2});
        c.engine.parameterChanged(peakRecParameter, 0.8f);
        const auto outFloat = c.run<float>(dirty, bypassed);
        for (const auto& channel : outFloat)
            for (const auto v : channel)
                ASSERT_TRUE(std::isfinite(v));
    }
}

TEST(EngineRobustness, ExtremeInputKeepsEverythingFinite)
{
    const auto length = seconds(0.5, rate);
    const double levels[] = {1000.0, 1.0e30, static_cast<double>(std::numeric_limits<float>::max()),
                             std::numeric_limits<double>::max()};
    for (const auto level : levels)
        for (const bool asFloat : {false, true})
        {
            if (asFloat && level > std::numeric_limits<float>::max())
                continue;
            Harness h(rate, {2, 0, 2});
            h.engine.parameterChanged(peakRecParameter, 1.0f);
            h.engine.parameterChanged(gainParameter, 1.0f);
            h.engine.parameterChanged(makeupParameter, 1.0f);
            h.engine.parameterChanged(vuLevelParameter, 0.0f);
            const Channels in = {sine(100, level, length, rate), noise(level, length, 5)};
            const auto out = asFloat ? h.run<float>(in) : h.run<double>(in);
            for (const auto& channel : out)
                for (const auto v : channel)
                    ASSERT_TRUE(std::isfinite(v)) << level;
            EXPECT_TRUE(std::isfinite(h.engine.getLastGain())) << level;
            EXPECT_TRUE(std::isfinite(h.engine.getNeedleValue())) << level;
            EXPECT_EQ(h.engine.getMeterValue(0), 0.965) << level;
            EXPECT_GE(h.engine.getHostMeterValue(0), 0.0) << level;
            EXPECT_LE(h.engine.getHostMeterValue(0), 1.0) << level;
        }
}
