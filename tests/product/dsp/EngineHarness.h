#pragma once

#include "OstrelMkIIDsp.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace EngineTest
{
using Channels = std::vector<std::vector<double>>;

struct Layout
{
    int mainInputs;
    int keyInputs;
    int outputs;

    int totalInputs() const { return mainInputs + keyInputs; }
    int bufferChannels() const { return std::max(totalInputs(), outputs); }
};

// What a host leaves in output channels that the engine should have written.
constexpr double hostLeftover = 123.0;

// Drives the engine as the processor does: channel roles, preparation, then blocks processed in place
// in one buffer of max(inputs, outputs) channels.
class Harness
{
public:
    Harness(double rate, Layout layoutToUse, int blockSizeToUse = 512)
        : layout(layoutToUse), blockSize(blockSizeToUse)
    {
        prepare(rate);
    }

    void prepare(double rate)
    {
        engine.setChannelRoles(layout.mainInputs, layout.keyInputs);
        engine.prepareToPlay(rate, blockSize, layout.totalInputs(), layout.outputs);
    }

    // Feeds `inputs` (one vector per input channel, main then side chain) and returns the outputs.
    template <typename Sample = double> Channels run(const Channels& inputs, bool bypassed = false)
    {
        const auto length = inputs.empty() ? std::size_t{0} : inputs[0].size();
        std::vector<std::vector<Sample>> buffer(
            static_cast<std::size_t>(layout.bufferChannels()),
            std::vector<Sample>(length, static_cast<Sample>(hostLeftover)));
        for (std::size_t ch = 0; ch < inputs.size(); ++ch)
            std::transform(inputs[ch].begin(), inputs[ch].end(), buffer[ch].begin(),
                           [](double x) { return static_cast<Sample>(x); });

        std::vector<Sample*> pointers(buffer.size());
        for (std::size_t start = 0; start < length; start += static_cast<std::size_t>(blockSize))
        {
            const auto count =
                static_cast<int>(std::min(length - start, static_cast<std::size_t>(blockSize)));
            for (std::size_t ch = 0; ch < buffer.size(); ++ch)
                pointers[ch] = buffer[ch].data() + start;
            if constexpr (std::is_same_v<Sample, float>)
            {
                if (bypassed)
                    engine.processBypassedFloat(count, pointers.data(), pointers.data());
                else
                    engine.processFloat(count, pointers.data(), pointers.data());
            }
            else
            {
                if (bypassed)
                    engine.processBypassedDouble(count, pointers.data(), pointers.data());
                else
                    engine.processDouble(count, pointers.data(), pointers.data());
            }
        }

        Channels outputs(static_cast<std::size_t>(layout.outputs));
        for (std::size_t ch = 0; ch < outputs.size(); ++ch)
            outputs[ch].assign(buffer[ch].begin(), buffer[ch].end());
        return outputs;
    }

    QVA::OstrelMkIIDsp engine{nullptr};
    Layout layout;
    int blockSize;
};

inline std::vector<double> sine(double hz, double amplitude, std::size_t length, double rate,
                                std::size_t offset = 0)
{
    std::vector<double> x(length);
    for (std::size_t n = 0; n < length; ++n)
        x[n] = amplitude * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(n + offset) / rate);
    return x;
}

inline std::vector<double> noise(double amplitude, std::size_t length, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> uniform(-amplitude, amplitude);
    std::vector<double> x(length);
    for (auto& v : x)
        v = uniform(random);
    return x;
}

inline std::size_t seconds(double s, double rate)
{
    return static_cast<std::size_t>(std::lround(s * rate));
}

inline double gainDb(double gain)
{
    return 20.0 * std::log10(gain);
}
} // namespace EngineTest
