// The block-wise engine against the plain per-sample reference loop, and both against golden values
// (set OSTREL_PRINT_GOLDEN=1 to print fresh ones after a reviewed change of the engine's sound).
#include "EngineHarness.h"
#include "ReferenceEngine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

using namespace EngineTest;

namespace
{
struct Change
{
    double at; // seconds
    int parameter;
    float value;
};

struct Scenario
{
    const char* name;
    double rate;
    Layout layout;
    double seconds;
    std::vector<Change> changes;
    bool replayPreparation; // prepare again with the same format while playing, midway
};

const std::vector<Change> automation = {
    {0.0, 1, 0.8f},  {0.0, 6, 0.3f},  {0.05, 7, 1.0f}, {0.2, 3, 1.0f}, {0.25, 6, 0.9f}, {0.3, 4, 0.0f},
    {0.35, 9, 0.7f}, {0.4, 8, 0.65f}, {0.45, 2, 0.4f}, {0.5, 5, 1.0f}, {0.6, 7, 2.0f},  {0.65, 6, 0.05f},
    {0.7, 0, 0.0f},  {0.8, 4, 2.0f},  {0.85, 0, 1.0f}, {0.9, 3, 0.0f}, {1.0, 2, 1.0f},  {1.05, 5, 0.0f},
    {1.1, 1, 1.0f},  {1.2, 7, 0.0f},  {1.25, 9, 1.0f}, {1.3, 6, 1.0f}, {1.4, 4, 1.0f},  {1.45, 1, 0.6f},
};

const std::vector<Scenario> scenarios = {
    {"stereo 44.1 kHz", 44100, {2, 0, 2}, 1.5, automation, true},
    {"mono to stereo 48 kHz", 48000, {1, 0, 2}, 1.5, automation, false},
    {"stereo with stereo key 96 kHz", 96000, {2, 2, 2}, 1.5, automation, true},
    {"stereo with mono key 192 kHz", 192000, {2, 1, 2}, 1.5, automation, false},
    {"mono with stereo key 48 kHz", 48000, {1, 2, 1}, 1.5, automation, false},
    {"stereo to mono 88.2 kHz", 88200, {2, 0, 1}, 1.0, automation, false},
};

const int blockPattern[] = {512, 1, 17, 64, 63, 65, 300, 4096, 5, 128};

// Bursts of two tones on the main inputs, noise bursts on the key inputs.
double inputSample(int channel, bool key, std::size_t n, double rate)
{
    const auto t = static_cast<double>(n) / rate;
    const auto burst = std::fmod(t, 0.5) < 0.3 ? 1.0 : 0.02;
    if (key)
        return burst * 0.6 * std::sin(2.0 * std::numbers::pi * (900.0 + 200.0 * channel) * t) *
               std::sin(2.0 * std::numbers::pi * 3.0 * t);
    return burst * (0.4 * std::sin(2.0 * std::numbers::pi * (110.0 + 55.0 * channel) * t) +
                    0.2 * std::sin(2.0 * std::numbers::pi * 2500.0 * t));
}

struct Observation
{
    std::vector<std::vector<double>> outputs;
    std::vector<double> meters, hostMeters; // after each block
};

template <typename Sample> Observation run(QVA::BaseDsp& engine, const Scenario& s)
{
    engine.setChannelRoles(s.layout.mainInputs, s.layout.keyInputs);
    engine.prepareToPlay(s.rate, 512, s.layout.totalInputs(), s.layout.outputs);
    engine.isPlaying = true;
    const auto length = seconds(s.seconds, s.rate);
    std::vector<std::vector<Sample>> buffer(static_cast<std::size_t>(s.layout.bufferChannels()),
                                            std::vector<Sample>(length));
    for (int ch = 0; ch < s.layout.totalInputs(); ++ch)
        for (std::size_t n = 0; n < length; ++n)
            buffer[static_cast<std::size_t>(ch)][n] =
                static_cast<Sample>(inputSample(ch < s.layout.mainInputs ? ch : ch - s.layout.mainInputs,
                                                ch >= s.layout.mainInputs, n, s.rate));

    Observation o;
    std::size_t position = 0, next = 0;
    bool replayed = false;
    std::vector<Sample*> channels(buffer.size());
    for (int block = 0; position < length; ++block)
    {
        while (next < s.changes.size() && seconds(s.changes[next].at, s.rate) <= position)
        {
            engine.parameterChanged(s.changes[next].parameter, s.changes[next].value);
            ++next;
        }
        if (s.replayPreparation && !replayed && position >= length / 2)
        {
            engine.prepareToPlay(s.rate, 512, s.layout.totalInputs(), s.layout.outputs);
            replayed = true;
        }
        const auto count =
            std::min<std::size_t>(static_cast<std::size_t>(blockPattern[block % 10]), length - position);
        for (std::size_t ch = 0; ch < buffer.size(); ++ch)
            channels[ch] = buffer[ch].data() + position;
        if constexpr (std::is_same_v<Sample, float>)
            engine.processFloat(static_cast<int>(count), channels.data(), channels.data());
        else
            engine.processDouble(static_cast<int>(count), channels.data(), channels.data());
        position += count;
        o.meters.push_back(engine.getMeterValue(0));
        o.hostMeters.push_back(engine.getHostMeterValue(0));
    }
    for (int ch = 0; ch < s.layout.outputs; ++ch)
        o.outputs.emplace_back(buffer[static_cast<std::size_t>(ch)].begin(),
                               buffer[static_cast<std::size_t>(ch)].end());
    return o;
}

void expectClose(const std::vector<double>& a, const std::vector<double>& b, double relative,
                 const std::string& what)
{
    ASSERT_EQ(a.size(), b.size()) << what;
    double scale = 1e-3;
    for (const auto v : b)
        scale = std::max(scale, std::abs(v));
    for (std::size_t n = 0; n < a.size(); ++n)
        ASSERT_LE(std::abs(a[n] - b[n]), relative * scale)
            << what << " at " << n << ": " << a[n] << " vs " << b[n];
}
} // namespace

TEST(EngineReference, BlockwiseEngineReproducesThePerSampleLoop)
{
    for (const auto& s : scenarios)
    {
        QVA::OstrelMkIIDsp engine(nullptr);
        ReferenceEngine reference(nullptr);
        const auto a = run<double>(engine, s);
        const auto b = run<double>(reference, s);
        for (std::size_t ch = 0; ch < a.outputs.size(); ++ch)
            expectClose(a.outputs[ch], b.outputs[ch], 1e-9,
                        std::string(s.name) + " output " + std::to_string(ch));
        expectClose(a.meters, b.meters, 1e-9, std::string(s.name) + " meter");
        expectClose(a.hostMeters, b.hostMeters, 1e-6, std::string(s.name) + " host meter");
        EXPECT_NEAR(engine.getLastGain(), reference.getLastGain(), 1e-9 * reference.getLastGain()) << s.name;
        EXPECT_NEAR(engine.getNeedleValue(), reference.getNeedleValue(), 1e-9) << s.name;

        QVA::OstrelMkIIDsp engineFloat(nullptr);
        ReferenceEngine referenceFloat(nullptr);
        const auto c = run<float>(engineFloat, s);
        const auto d = run<float>(referenceFloat, s);
        for (std::size_t ch = 0; ch < c.outputs.size(); ++ch)
            expectClose(c.outputs[ch], d.outputs[ch], 1e-6,
                        std::string(s.name) + " float output " + std::to_string(ch));
    }
}

TEST(EngineReference, GoldenValues)
{
    // Output samples, audio gain and needle of the first scenario at a few points.
    const std::size_t points[] = {100, 2000, 9000, 22050, 33000, 50000, 66149};
    const double golden[][2] = {
        {0.17825868580960105, 0.22324253179947429},      {-0.069914677132321412, 0.047813598703839583},
        {0.022949140886428299, -0.00094062801810545094}, {0.00032165321281662156, 0.012992762854706512},
        {0.22351151943679656, 0.17101970562629579},      {-5.2738946279134975, -3.4178963410201932},
        {-0.057933138304807633, 1.8212941526454074},
    };
    const double goldenGain = 0.21892130142888391, goldenNeedle = 0.84443824578194149;

    const auto& s = scenarios[0];
    QVA::OstrelMkIIDsp engine(nullptr);
    ReferenceEngine reference(nullptr);
    const auto a = run<double>(engine, s);
    const auto b = run<double>(reference, s);
    if (std::getenv("OSTREL_PRINT_GOLDEN") != nullptr)
    {
        for (const auto p : points)
            std::printf("        {%.17g, %.17g},\n", b.outputs[0][p], b.outputs[1][p]);
        std::printf("    const double goldenGain = %.17g, goldenNeedle = %.17g;\n", reference.getLastGain(),
                    reference.getNeedleValue());
        GTEST_SKIP() << "printed fresh golden values";
    }
    for (std::size_t i = 0; i < std::size(points); ++i)
        for (std::size_t ch = 0; ch < 2; ++ch)
        {
            EXPECT_NEAR(a.outputs[ch][points[i]], golden[i][ch], 1e-9) << "engine at " << points[i];
            EXPECT_NEAR(b.outputs[ch][points[i]], golden[i][ch], 1e-9) << "reference at " << points[i];
        }
    EXPECT_NEAR(engine.getLastGain(), goldenGain, 1e-9);
    EXPECT_NEAR(reference.getLastGain(), goldenGain, 1e-9);
    EXPECT_NEAR(reference.getNeedleValue(), goldenNeedle, 1e-9);
}
