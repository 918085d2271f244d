#include "EngineHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace EngineTest;
using namespace QVA::OstrelMkII;

namespace
{
constexpr double rate = 48000.0;

Channels stereo(const std::vector<double>& x)
{
    return {x, x};
}

void expectDelayedBy32(const Channels& in, const Channels& out, std::size_t from, double tolerance)
{
    for (std::size_t ch = 0; ch < out.size(); ++ch)
        for (auto n = std::max<std::size_t>(from, 32); n < out[ch].size(); ++n)
            ASSERT_NEAR(out[ch][n], in[ch][n - 32], tolerance) << "channel " << ch << " sample " << n;
}
} // namespace

TEST(EngineBehaviour, PowerOffSettlesToTheDelayedInput)
{
    for (const double r : {44100.0, 96000.0, 192000.0})
    {
        Harness h(r, {2, 0, 2});
        h.engine.parameterChanged(peakRecParameter, 0.8f);
        h.engine.parameterChanged(powerParameter, 0.0f);
        const Channels in = {sine(440, 0.5, seconds(2.0, r), r), noise(0.3, seconds(2.0, r), 1)};
        const auto out = h.run(in);
        expectDelayedBy32(in, out, seconds(1.5, r), 1e-12);
        EXPECT_EQ(h.engine.getMeterValue(0), 0.0);
        EXPECT_EQ(h.engine.getHostMeterValue(0), 0.0);
    }
}

TEST(EngineBehaviour, BypassDelaysTheDryInputAndLeavesNoGap)
{
    Harness h(rate, {2, 0, 2});
    h.engine.parameterChanged(powerParameter, 0.0f);
    // Preparing again while stopped resets the smoothed values to their targets: power off at once.
    h.prepare(rate);
    const auto length = seconds(1.5, rate);
    const Channels in = {sine(1000, 0.7, length, rate), noise(0.5, length, 2)};
    // Processed (power off, settled), then bypassed, then processed again: one continuous delay.
    const auto split = [&](std::size_t from, std::size_t to)
    {
        Channels part(2);
        for (std::size_t ch = 0; ch < 2; ++ch)
            part[ch].assign(in[ch].begin() + static_cast<std::ptrdiff_t>(from),
                            in[ch].begin() + static_cast<std::ptrdiff_t>(to));
        return part;
    };
    const auto a = h.run(split(0, seconds(1.0, rate)));
    const auto b = h.run(split(seconds(1.0, rate), seconds(1.2, rate)), true);
    const auto c = h.run(split(seconds(1.2, rate), length));
    Channels out(2);
    for (std::size_t ch = 0; ch < 2; ++ch)
        for (const auto* part : {&a, &b, &c})
            out[ch].insert(out[ch].end(), (*part)[ch].begin(), (*part)[ch].end());
    expectDelayedBy32(in, out, 0, 0.0);

    // A fresh bypass starts from silence.
    Harness fresh(rate, {2, 0, 2});
    const auto bypassed = fresh.run(split(0, 4096), true);
    for (std::size_t n = 0; n < 32; ++n)
        EXPECT_EQ(bypassed[0][n], 0.0);
    expectDelayedBy32(split(0, 4096), bypassed, 0, 0.0);
}

namespace
{
struct GainTrace
{
    std::vector<double> gain;        // audio gain after each sample
    std::vector<double> conductance; // resistor memory after each sample
};

// A 1 kHz tone at `amplitude` from 0.1 s to `toneEnd`, then silence until `end`; the side chain is
// observed every sample.
GainTrace traceTone(int cell, double amplitude, double toneEnd, double end, float mode = 0.0f)
{
    Harness h(rate, {2, 0, 2}, 1);
    h.engine.parameterChanged(cellSelectParameter, static_cast<float>(cell));
    h.engine.parameterChanged(peakRecParameter, 0.8f);
    h.engine.parameterChanged(modeParameter, mode);
    GainTrace trace;
    double left = 0.0, right = 0.0;
    double* channels[2] = {&left, &right};
    const auto total = seconds(end, rate);
    for (std::size_t n = 0; n < total; ++n)
    {
        const auto t = static_cast<double>(n) / rate;
        left = right =
            (t >= 0.1 && t < toneEnd) ? amplitude * std::sin(2.0 * std::numbers::pi * 1000.0 * t) : 0.0;
        h.engine.processDouble(1, channels, channels);
        trace.gain.push_back(h.engine.getLastGain());
        trace.conductance.push_back(h.engine.getSideChain().conductance);
    }
    return trace;
}

// Milliseconds from `from` (seconds) until the gain in dB has covered `fraction` of the way from
// `start` to `settled`.
double timeToReach(const std::vector<double>& gain, double from, double start, double settled,
                   double fraction)
{
    const auto target = gainDb(start) + (gainDb(settled) - gainDb(start)) * fraction;
    const auto falling = settled < start;
    for (auto i = seconds(from, rate); i < gain.size(); ++i)
        if (falling ? gainDb(gain[i]) <= target : gainDb(gain[i]) >= target)
            return 1000.0 * (static_cast<double>(i + 1) / rate - from);
    return std::numeric_limits<double>::infinity();
}
} // namespace

TEST(EngineBehaviour, LoudToneLowersTheGainWhichRecoversAfterwards)
{
    for (const int cell : {0, 1, 2})
    {
        const auto trace = traceTone(cell, 0.5, 3.1, 13.1);
        const auto rest = trace.gain[seconds(0.09, rate)];
        const auto held = trace.gain[seconds(3.09, rate)];
        const auto recovered = trace.gain.back();
        EXPECT_GE(*std::min_element(trace.conductance.begin(), trace.conductance.end()), 0.0)
            << "cell " << cell;
        EXPECT_LT(gainDb(held) - gainDb(rest), -6.0) << "cell " << cell << ": too little reduction";
        EXPECT_GT(gainDb(recovered) - gainDb(rest), -1.0) << "cell " << cell << ": no recovery";

        const auto attack63 = timeToReach(trace.gain, 0.1, rest, held, 0.63);
        const auto attack90 = timeToReach(trace.gain, 0.1, rest, held, 0.9);
        const auto release63 = timeToReach(trace.gain, 3.1, held, rest, 0.63);
        const auto release90 = timeToReach(trace.gain, 3.1, held, rest, 0.9);
        EXPECT_LT(attack90, release63) << "cell " << cell;
        const auto prefix = "cell" + std::to_string(cell) + "_";
        RecordProperty(prefix + "reduction_dB", std::to_string(gainDb(held) - gainDb(rest)));
        RecordProperty(prefix + "attack63_ms", std::to_string(attack63));
        RecordProperty(prefix + "attack90_ms", std::to_string(attack90));
        RecordProperty(prefix + "release63_ms", std::to_string(release63));
        RecordProperty(prefix + "release90_ms", std::to_string(release90));
        // After the tone the resistor only darkens.
        for (auto i = seconds(3.11, rate); i < trace.conductance.size(); ++i)
            ASSERT_LE(trace.conductance[i], trace.conductance[i - 1])
                << "cell " << cell << " at sample " << i;
    }
}

TEST(EngineBehaviour, LimitModeDividesTheFeedbackGainByTheSeriesResistor)
{
    Harness h(rate, {2, 0, 2}, 1);
    h.engine.parameterChanged(modeParameter, 1.0f);
    h.engine.parameterChanged(peakRecParameter, 0.8f);
    h.prepare(rate); // no glide: "Limit" from the first sample
    ASSERT_EQ(h.engine.getCurrent(limitResistorIndex), 2700.0);
    double left = 0.0, right = 0.0;
    double* channels[2] = {&left, &right};
    int checked = 0;
    for (std::size_t n = 0; n < seconds(1.0, rate); ++n)
    {
        left = right =
            n > 4800 ? 0.5 * std::sin(2.0 * std::numbers::pi * 1000.0 * static_cast<double>(n) / rate) : 0.0;
        h.engine.processDouble(1, channels, channels);
        if (n % 997 != 0)
            continue;
        // The cell in parallel with the 100 k shunt, then 2.7 k in series towards the output.
        const auto& side = h.engine.getSideChain();
        const auto R1 = 1.0 / (side.conductance + h.engine.getCurrent(darkConductanceIndex) + 1.0 / 100000.0);
        EXPECT_NEAR(h.engine.getLastGain(), side.feedbackGain * R1 / (R1 + 2700.0), 1e-12);
        ++checked;
    }
    EXPECT_GT(checked, 40);
    EXPECT_GT(h.engine.getSideChain().conductance, 0.0) << "the tone never lit the cell";
}

TEST(EngineBehaviour, ExternalKeyDrivesTheGainReductionWhenSwitchedOn)
{
    const struct
    {
        Layout layout;
        bool externalKey;
        double mainAmplitude;
        double keyAmplitude;
        bool reduces;
    } cases[] = {
        {{2, 2, 2}, true, 0.01, 0.7, true},   {{2, 2, 2}, false, 0.01, 0.7, false},
        {{2, 2, 2}, true, 0.7, 0.0, false},   {{2, 2, 2}, false, 0.7, 0.0, true},
        {{2, 1, 2}, true, 0.01, 0.7, true},   {{2, 1, 2}, true, 0.7, 0.0, false},
        {{1, 2, 2}, true, 0.01, 0.7, true},   {{1, 1, 1}, true, 0.01, 0.7, true},
        {{1, 1, 1}, false, 0.01, 0.7, false},
    };
    for (const auto& c : cases)
    {
        Harness h(rate, c.layout);
        h.engine.parameterChanged(peakRecParameter, 0.8f);
        h.engine.parameterChanged(extSidechainParameter, c.externalKey ? 1.0f : 0.0f);
        h.prepare(rate); // the key source switches at once, without the 50 ms glide
        const auto length = seconds(1.0, rate);
        Channels in;
        for (int ch = 0; ch < c.layout.mainInputs; ++ch)
            in.push_back(sine(300, c.mainAmplitude, length, rate));
        for (int ch = 0; ch < c.layout.keyInputs; ++ch)
            in.push_back(sine(1000 + 100 * ch, c.keyAmplitude, length, rate));
        const auto out = h.run(in);
        const auto reduction = gainDb(h.engine.getLastGain() / restingGain);
        if (c.reduces)
            EXPECT_LT(reduction, -6.0)
                << c.layout.mainInputs << "+" << c.layout.keyInputs << " key " << c.externalKey;
        else
            EXPECT_GT(reduction, -0.1)
                << c.layout.mainInputs << "+" << c.layout.keyInputs << " key " << c.externalKey;
        // Every main output carries the same processed signal (identical main channels).
        for (std::size_t ch = 1; ch < out.size(); ++ch)
            EXPECT_EQ(out[ch], out[0]);
    }
}
