#include "DemoMaterial.h"

#include <cmath>

namespace OstrelRender
{
namespace
{
constexpr double twoPi = juce::MathConstants<double>::twoPi;
constexpr double tempoBpm = 112.0;

// A kick: a sine that falls from 150 Hz to 45 Hz with a fast decay.
double kick(double t)
{
    if (t < 0.0 || t > 0.5)
        return 0.0;
    const auto phase = twoPi * (45.0 * t + (150.0 - 45.0) * 0.03 * (1.0 - std::exp(-t / 0.03)));
    return 0.9 * std::sin(phase) * std::exp(-t / 0.12);
}

// A snare: a short tone under a noise burst; `noise` is white noise in -1..1.
double snare(double t, double noise)
{
    if (t < 0.0 || t > 0.3)
        return 0.0;
    return 0.35 * std::sin(twoPi * 190.0 * t) * std::exp(-t / 0.05) + 0.45 * noise * std::exp(-t / 0.07);
}

// A bass note: a band-limited sawtooth (eight partials) with a plucked envelope.
double bass(double t, double frequency)
{
    if (t < 0.0)
        return 0.0;
    double saw = 0.0;
    for (int k = 1; k <= 8; ++k)
        saw += std::sin(twoPi * frequency * k * t) / k;
    return 0.3 * saw * std::exp(-t / 0.35) * std::min(1.0, t / 0.005);
}

// A sustained chord that swells in over the first half and fades over the second.
double pad(double t, double seconds)
{
    const auto swell = std::sin(juce::MathConstants<double>::pi * t / seconds);
    const auto chord =
        std::sin(twoPi * 220.0 * t) + 0.7 * std::sin(twoPi * 277.18 * t) + 0.6 * std::sin(twoPi * 329.63 * t);
    return 0.22 * swell * swell * chord;
}
} // namespace

juce::AudioBuffer<float> makeDemoMaterial(double sampleRate, double seconds)
{
    const auto numSamples = static_cast<int>(seconds * sampleRate);
    juce::AudioBuffer<float> buffer(2, numSamples);
    juce::Random random(336);
    const auto beat = 60.0 / tempoBpm;
    const double bassLine[] = {41.2, 41.2, 55.0, 49.0, 41.2, 36.7, 55.0, 61.7};

    for (int i = 0; i < numSamples; ++i)
    {
        const auto t = i / sampleRate;
        const auto beatIndex = static_cast<int>(t / beat);
        const auto inBeat = t - beatIndex * beat;
        const auto halfBeat = std::fmod(t, beat / 2.0);
        const auto noise = random.nextDouble() * 2.0 - 1.0;

        const auto drums =
            kick(inBeat) * (beatIndex % 2 == 0 ? 1.0 : 0.0) + snare(inBeat, noise) * (beatIndex % 2);
        const auto bassNote = bass(halfBeat, bassLine[static_cast<int>(t / (beat / 2.0)) % 8]);
        const auto tone = pad(t, seconds);

        buffer.setSample(0, i, static_cast<float>(drums + bassNote + tone * 1.1));
        buffer.setSample(1, i, static_cast<float>(drums + bassNote + tone * 0.9));
    }

    // Peaks at -3 dBFS, like a mixed track with a little headroom.
    const auto peak = buffer.getMagnitude(0, numSamples);
    if (peak > 0.0f)
        buffer.applyGain(0.7079458f / peak);
    return buffer;
}
} // namespace OstrelRender
