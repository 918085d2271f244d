// Engine speed: realtime factor (seconds of audio per CPU second) of stereo processing in 512-sample
// blocks, and the cost of one side-chain step, the serial chain that bounds the engine.
#include "OstrelMkIIDsp.h"
#include "ReferenceEngine.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace
{
constexpr int blockSize = 512;

template <typename Engine, typename Sample> void processStereo(benchmark::State& state)
{
    const auto rate = static_cast<double>(state.range(0));
    Engine engine(nullptr);
    engine.setChannelRoles(2, 0);
    engine.prepareToPlay(rate, blockSize, 2, 2);
    engine.parameterChanged(1, 0.7f); // some gain reduction, so every path of the cell is exercised

    // A few seconds of programme-like material, played round.
    const auto length = static_cast<std::size_t>(rate) * 4 / blockSize * blockSize;
    std::vector<Sample> source(length * 2);
    for (std::size_t n = 0; n < length; ++n)
    {
        const auto t = static_cast<double>(n) / rate;
        const auto envelope = 0.5 + 0.45 * std::sin(2.0 * std::numbers::pi * 0.7 * t);
        source[2 * n] = static_cast<Sample>(envelope * std::sin(2.0 * std::numbers::pi * 220.0 * t));
        source[2 * n + 1] =
            static_cast<Sample>(envelope * std::sin(2.0 * std::numbers::pi * 331.0 * t + 1.0));
    }
    std::vector<Sample> left(blockSize), right(blockSize);
    Sample* channels[2] = {left.data(), right.data()};

    std::size_t position = 0;
    for (auto _ : state)
    {
        for (int n = 0; n < blockSize; ++n)
        {
            left[static_cast<std::size_t>(n)] = source[2 * (position + static_cast<std::size_t>(n))];
            right[static_cast<std::size_t>(n)] = source[2 * (position + static_cast<std::size_t>(n)) + 1];
        }
        if constexpr (std::is_same_v<Sample, float>)
            engine.processFloat(blockSize, channels, channels);
        else
            engine.processDouble(blockSize, channels, channels);
        benchmark::DoNotOptimize(left.data());
        benchmark::DoNotOptimize(right.data());
        position = (position + blockSize) % length;
    }
    state.counters["realtime"] = benchmark::Counter(static_cast<double>(blockSize) / rate,
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

template <typename Engine> void sideChainStep(benchmark::State& state)
{
    Engine engine(nullptr);
    engine.prepareToPlay(48000.0, blockSize, 2, 2);
    engine.parameterChanged(1, 0.7f);
    constexpr int steps = 4096;
    std::vector<double> key(steps);
    for (int n = 0; n < steps; ++n)
        key[static_cast<std::size_t>(n)] = 3.0 * std::sin(2.0 * std::numbers::pi * 1000.0 * n / 192000.0);
    for (auto _ : state)
    {
        double sum = 0.0;
        for (const auto k : key)
            sum += engine.processSidechain(k);
        benchmark::DoNotOptimize(sum);
    }
    state.counters["step"] =
        benchmark::Counter(static_cast<double>(steps),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
} // namespace

BENCHMARK(processStereo<QVA::OstrelMkIIDsp, double>)
    ->Name("engine/double")
    ->Arg(44100)
    ->Arg(48000)
    ->Arg(96000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(processStereo<QVA::OstrelMkIIDsp, float>)
    ->Name("engine/float")
    ->Arg(48000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(processStereo<EngineTest::ReferenceEngine, double>)
    ->Name("reference/double")
    ->Arg(48000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(sideChainStep<QVA::OstrelMkIIDsp>)->Name("sidechain/engine")->Unit(benchmark::kMicrosecond);
BENCHMARK(sideChainStep<EngineTest::ReferenceEngine>)
    ->Name("sidechain/reference")
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
