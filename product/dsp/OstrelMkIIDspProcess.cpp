// The audio loop of the engine, block-wise. Every value is computed with the same operations in the
// same order as a plain per-sample loop would compute it; the work is only regrouped so that what
// does not depend on the side chain's serial chain runs outside it or beside it.
#include "OstrelMkIIDsp.h"

#include "qva_dsp/Double2.h"
#include "qva_dsp/FlushDenormals.h"

#include <algorithm>
#include <cmath>

namespace QVA
{
using namespace OstrelMkII;
using DSP::Double2;

namespace
{
// Base-rate samples of interpolator history ahead of a chunk.
constexpr int upsamplerLead = OversamplingFilters::historyLength - 1;

double biquad(const double* c, double x, double& s1, double& s2) noexcept
{
    const auto y = c[0] * x + s1;
    s1 = c[1] * x - c[2] * y + s2;
    s2 = c[3] * x - c[4] * y;
    return y;
}

// First-order transposed direct form on two lanes.
struct FirstOrder2
{
    Double2 b0, b1, a1;

    explicit FirstOrder2(const FirstOrder& f)
        : b0(Double2::broadcast(f.b0)), b1(Double2::broadcast(f.b1)), a1(Double2::broadcast(f.a1))
    {
    }

    Double2 process(Double2 x, Double2& state) const noexcept
    {
        const auto y = b0 * x + state;
        state = b1 * x - a1 * y;
        return y;
    }
};
} // namespace

double OstrelMkIIDsp::sanitise(double x) noexcept
{
    constexpr double inputLimit = 1.0e6;
    return std::isfinite(x) ? std::clamp(x, -inputLimit, inputLimit) : 0.0;
}

template <typename State>
inline void OstrelMkIIDsp::advanceFade(State& s, EmphasisSet& active, EmphasisSet& incoming,
                                       const EmphasisSet& pending, double step, double restingPlate) noexcept
{
    s.fade = std::min(s.fade + step, 1.0);
    if (s.fade >= 1.0 && s.pendingSet)
    {
        s.pendingSet = false;
        s.fade = 0.0;
        active = incoming;
        s.activeState = s.incomingState;
        incoming = pending;
        settleEmphasis(incoming, restingPlate, s.incomingState);
    }
}

template <typename State>
inline double OstrelMkIIDsp::sideChainStep(State& s, const double* active, const double* incoming, double key,
                                           const double* c, double triodeSmoothing, double pentodeSmoothing,
                                           const TubeCurves& curves) noexcept
{
    // Peak-reduction pot, fed from the cell's output: the side chain listens to the reduced signal.
    s.triodeInput += (key * c[peakGainIndex] * s.feedbackGain - s.triodeInput) * c[peakPotIndex];

    const auto e = curves.sidechainTriode((s.triodeInput - s.triodeCathode) * sidechainTriodeScale + 0.5);
    s.triodeCathode += ((plateSupplyVolts - e) * triodeCathodeScale - s.triodeCathode) * triodeSmoothing;

    auto& a = s.activeState;
    auto& i = s.incomingState;
    const auto m1 = biquad(active + 5, biquad(active, e, a.s1, a.s2), a.s3, a.s4);
    const auto m2 = biquad(incoming + 5, biquad(incoming, e, i.s1, i.s2), i.s3, i.s4);
    const auto m = (m1 + (m2 - m1) * s.fade) * s.emphasisGain;

    const auto q = curves.pentode((m - s.pentodeCathode) * pentodeScale + 0.5);
    s.pentodeCathode += ((plateSupplyVolts - q) * pentodeCathodeScale - s.pentodeCathode) * pentodeSmoothing;

    const auto U = biquad(c + panelB0Index, q, s.panelState1, s.panelState2);
    const auto light = c[panelBetaIndex] * std::exp(-c[panelAlphaIndex] / (std::abs(U) + panelEpsilon));

    // Square-law resistor memory: fast towards more light, slow back to dark.
    const auto d = light - s.conductance;
    s.conductance =
        std::max(s.conductance + d * d * (d > 0.0 ? c[attackRateIndex] : c[releaseRateIndex]), 0.0);

    // The cell shunted by 100 k, in series with the "Limit" resistor, loaded by 100 k, after 68 k.
    const auto Rldr = 1.0 / (s.conductance + c[darkConductanceIndex]);
    const auto R1 = Rldr * cellShuntOhms / (Rldr + cellShuntOhms);
    const auto X = c[limitResistorIndex] + R1;
    const auto Z = X * cellLoadOhms / (cellLoadOhms + X);
    s.feedbackGain = Z / (Z + cellSeriesOhms);
    return s.feedbackGain * R1 / X;
}

double OstrelMkIIDsp::processSidechain(double key) noexcept
{
    return sideChainStep(side, side.active.data(), side.incoming.data(), key, current.data(), triodeSmoothing,
                         pentodeSmoothing, *curves);
}

double OstrelMkIIDsp::inputTransformer(ChannelState& state, double x) const noexcept
{
    const auto flux2 = state.inputFlux * state.inputFlux;
    const auto flux4 = flux2 * flux2;
    const auto h = (1.0 - flux4 * flux4) * x;
    const auto y = transformerHighPass.process(h, state.inputHighPass);
    state.inputFlux = std::clamp(
        state.inputFlux + y * inverseSampleRate * inputFluxGain - state.inputFlux * fluxLeak, -1.0, 1.0);
    return y;
}

double OstrelMkIIDsp::outputTransformer(ChannelState& state, double x) const noexcept
{
    const auto flux2 = state.outputFlux * state.outputFlux;
    const auto flux4 = flux2 * flux2;
    const auto h = (1.0 - flux4 * flux4) * x;
    const auto y = transformerHighPass.process(h, state.outputHighPass);
    state.outputFlux = std::clamp(
        state.outputFlux + y * inverseSampleRate * outputFluxGain - state.outputFlux * fluxLeak, -1.0, 1.0);
    return y;
}

void OstrelMkIIDsp::stepNeedle(double x) noexcept
{
    auto& n = needle;
    const auto& c = n.filter;
    const auto y = c.b0 * x + c.b1 * n.x1 + c.b2 * n.x2 - c.a1 * n.y1 - c.a2 * n.y2;
    n.y2 = n.y1;
    n.y1 = std::clamp(y, 0.0, 1.0);
    n.x2 = n.x1;
    n.x1 = x;
    n.value = y;
}

void OstrelMkIIDsp::resizeScratch()
{
    const auto lanes = numProcessed + numKeys;
    numLanePairs = (lanes + 1) / 2;
    numChannelPairs = (numProcessed + 1) / 2;
    const auto os = oversampling;
    const auto order = filters.order;
    // Room for a last group of samples that runs past the chunk's end (those sums are not kept).
    upsamplerStride = 2 * (upsamplerLead + chunkLength + 8);
    decimatorStride = 2 * (order + 1 + chunkLength * os);

    smoothedValues.assign(static_cast<std::size_t>(chunkLength * smoothedStride), 0.0);
    dryValues.assign(static_cast<std::size_t>(chunkLength * std::max(numProcessed, 1)), 0.0);
    inputLevels.assign(chunkLength, 0.0);
    gainLevels.assign(chunkLength, 0.0);
    upsamplerInput.assign(static_cast<std::size_t>(std::max(numLanePairs, 1) * upsamplerStride), 0.0);
    upsampled.assign(static_cast<std::size_t>(chunkLength * os * std::max(numLanePairs, 1) * 2), 0.0);
    keyValues.assign(static_cast<std::size_t>(chunkLength * os), 0.0);
    decimatorInput.assign(static_cast<std::size_t>(std::max(numChannelPairs, 1) * decimatorStride), 0.0);
    decimated.assign(static_cast<std::size_t>(chunkLength * std::max(numChannelPairs, 1) * 2), 0.0);

    upsamplerTaps.assign(static_cast<std::size_t>(os * OversamplingFilters::historyLength * 2), 0.0);
    for (int j = 0; j < os; ++j)
        for (int l = 0; l < OversamplingFilters::historyLength; ++l)
        {
            const auto tap = filters.up[static_cast<std::size_t>(j)][static_cast<std::size_t>(l)];
            const auto index = static_cast<std::size_t>((j * OversamplingFilters::historyLength + l) * 2);
            upsamplerTaps[index] = tap;
            upsamplerTaps[index + 1] = tap;
        }
}

void OstrelMkIIDsp::smoothChunk(int n) noexcept
{
    const auto k = Double2::broadcast(smoothing);
    auto* row = smoothedValues.data();
    for (int s = 0; s < n; ++s, row += smoothedStride)
        for (int i = 0; i < smoothedStride; i += 2)
        {
            const auto c = Double2::load(current.data() + i);
            const auto next = c + (Double2::load(target.data() + i) - c) * k;
            next.store(current.data() + i);
            next.store(row + i);
        }
}

template <typename Sample>
void OstrelMkIIDsp::readInputs(int offset, int n, const Sample* const* inputs) noexcept
{
    const auto N = numProcessed;
    const auto externalKey = extKeyOn && numKeys > 0;
    const auto lane = [this](int l, int s) -> double&
    {
        return upsamplerInput[static_cast<std::size_t>((l / 2) * upsamplerStride + (upsamplerLead + s) * 2 +
                                                       (l & 1))];
    };

    // The newest 32 values of each interpolator line precede the chunk.
    for (int l = 0; l < N + numKeys; ++l)
    {
        const auto* window = upsamplerHistory->window(l);
        for (int t = 0; t < upsamplerLead; ++t)
            lane(l, t - upsamplerLead) = window[t + 1];
    }

    for (int s = 0; s < n; ++s)
    {
        auto inputLevel = vuFeed[0];
        for (int ch = 0; ch < N; ++ch)
        {
            const auto x = sanitise(static_cast<double>(inputs[ch][offset + s]));
            dryValues[static_cast<std::size_t>(s * N + ch)] = dryDelay->oldest(ch);
            dryDelay->write(ch, x);
            inputLevel = std::max(inputLevel, std::abs(x * vuInputScale));
            lane(ch, s) =
                inputTransformer(channels[static_cast<std::size_t>(ch)], x) * inputScale * fullScaleVolts;
        }
        if (externalKey)
            for (int k = 0; k < numKeys; ++k)
            {
                const auto x = sanitise(static_cast<double>(inputs[keyInputOffset + k][offset + s]));
                lane(N + k, s) = inputTransformer(keyChannels[static_cast<std::size_t>(k)], x) * inputScale *
                                 fullScaleVolts;
            }
        inputLevels[static_cast<std::size_t>(s)] = inputLevel;
    }
}

template <int factor> void OstrelMkIIDsp::upsampleChunk(int n, int pairs) noexcept
{
    // Eight sums in flight (phases of several samples), each adding its taps in order.
    constexpr int taps = OversamplingFilters::historyLength;
    constexpr int together = 8 / factor;
    const auto* coefficients = upsamplerTaps.data();
    for (int pair = 0; pair < pairs; ++pair)
    {
        const auto* line = upsamplerInput.data() + pair * upsamplerStride + upsamplerLead * 2;
        for (int s = 0; s < n; s += together)
        {
            const auto count = std::min(together, n - s);
            Double2 sum[together][factor];
            for (auto& sample : sum)
                for (auto& v : sample)
                    v = Double2::broadcast(0.0);
            const auto* newest = line + s * 2;
            for (int l = 0; l < taps; ++l)
            {
                Double2 tap[factor];
                for (int j = 0; j < factor; ++j)
                    tap[j] = Double2::load(coefficients + (j * taps + l) * 2);
                for (int q = 0; q < together; ++q)
                {
                    const auto u = Double2::load(newest + (q - l) * 2);
                    for (int j = 0; j < factor; ++j)
                        sum[q][j] = sum[q][j] + tap[j] * u;
                }
            }
            for (int q = 0; q < count; ++q)
                for (int j = 0; j < factor; ++j)
                    sum[q][j].store(upsampled.data() + (((s + q) * factor + j) * numLanePairs + pair) * 2);
        }
    }
}

void OstrelMkIIDsp::computeKeys(int n) noexcept
{
    const auto N = numProcessed;
    const auto K = numKeys;
    const auto os = oversampling;
    const auto externalKey = extKeyOn && K > 0;
    const auto inverseN = 1.0 / N;
    const auto inverseK = K > 0 ? 1.0 / K : 0.0;
    for (int s = 0; s < n; ++s)
    {
        const auto keyAmount =
            smoothedValues[static_cast<std::size_t>(s * smoothedStride + externalKeyIndex)];
        for (int j = 0; j < os; ++j)
        {
            // Stereo link: the mean of the processed channels, faded towards the mean of the side-chain
            // channels when the external key is on (a mono key keys every channel).
            const auto* up = upsampled.data() + (s * os + j) * numLanePairs * 2;
            double sum = 0.0;
            for (int ch = 0; ch < N; ++ch)
                sum += up[ch];
            auto k = sum * inverseN;
            if (externalKey)
            {
                double keySum = 0.0;
                for (int kc = 0; kc < K; ++kc)
                    keySum += up[N + kc];
                k += (keySum * inverseK - k) * keyAmount;
            }
            keyValues[static_cast<std::size_t>(s * os + j)] = k;
        }
    }
}

namespace
{
// The side chain's running values as plain locals, so that they stay in registers for a chunk.
struct ChainLocals
{
    double triodeInput, triodeCathode;
    OstrelMkIIDsp::CascadeState activeState, incomingState;
    double fade;
    bool pendingSet;
    double emphasisGain, pentodeCathode, panelState1, panelState2, conductance, feedbackGain;
};

// Copies the running side-chain state between the engine and the block's locals, either way; the
// emphasis coefficient sets stay in the engine.
template <typename From, typename To> void copyChain(const From& from, To& to) noexcept
{
    to.triodeInput = from.triodeInput;
    to.triodeCathode = from.triodeCathode;
    to.activeState = from.activeState;
    to.incomingState = from.incomingState;
    to.fade = from.fade;
    to.pendingSet = from.pendingSet;
    to.emphasisGain = from.emphasisGain;
    to.pentodeCathode = from.pentodeCathode;
    to.panelState1 = from.panelState1;
    to.panelState2 = from.panelState2;
    to.conductance = from.conductance;
    to.feedbackGain = from.feedbackGain;
}

// The gain pot and the three tube stages of a channel pair.
struct StageLanes
{
    Double2 pot, stage1, stage2, stage3Output, stage3;
};
} // namespace

template <int factor, int pairs> void OstrelMkIIDsp::runSteps(int n) noexcept
{
    const auto historyLength = filters.order + 1;
    const auto& tubes = *curves;
    const auto step = emphasisStep;
    const auto restingPlate = triodeRestingPlate;
    const auto kTri = triodeSmoothing;
    const auto kPen = pentodeSmoothing;

    ChainLocals s;
    copyChain(side, s);
    auto active = side.active;
    auto incoming = side.incoming;

    StageLanes lanes[pairs];
    for (int p = 0; p < pairs; ++p)
    {
        // A lone last channel is paired with a copy of itself, whose results are dropped.
        const auto& a = channels[static_cast<std::size_t>(2 * p)];
        const auto& b = 2 * p + 1 < numProcessed ? channels[static_cast<std::size_t>(2 * p + 1)] : a;
        lanes[p] = {Double2::of(a.pot, b.pot), Double2::of(a.stage1, b.stage1),
                    Double2::of(a.stage2, b.stage2), Double2::of(a.stage3Output, b.stage3Output),
                    Double2::of(a.stage3, b.stage3)};
    }
    const FirstOrder2 hp1(stage1HighPass), hp2(stage2HighPass), hp3(stage3HighPass);
    const auto triodeScale = Double2::broadcast(audioTriodeScale);
    const auto gridOffset = Double2::broadcast(tubeGridOffset);
    const auto driver = Double2::broadcast(driverScale);

    // A sample's stage outputs and gain level are stored one sample later, when their values are long
    // computed: a store still waiting for its data can hold up a later load whose address happens to
    // match it in the low bits, and the loads here feed the side chain.
    Double2 held[factor][pairs];
    double heldGainLevel = 0.0;
    const auto flush = [&](int sample)
    {
        auto* down = decimatorInput.data() + (historyLength + sample * factor) * 2;
        for (int j = 0; j < factor; ++j)
            for (int p = 0; p < pairs; ++p)
                held[j][p].store(down + j * 2 + p * decimatorStride);
        gainLevels[static_cast<std::size_t>(sample)] = heldGainLevel;
    };

    auto g = lastGain;
    for (int t = 0; t < n; ++t)
    {
        // The sample's smoothed values and keys are copied before anything of this sample is stored,
        // so that the chain never waits on a load that the processor must check against a store.
        double c[smoothedStride];
        std::copy_n(smoothedValues.data() + t * smoothedStride, smoothedStride, c);
        double keys[factor];
        std::copy_n(keyValues.data() + t * factor, factor, keys);
        if (t > 0)
            flush(t - 1);
        const auto inputGain = Double2::broadcast(c[inputGainIndex]);
        const auto inputPot = Double2::broadcast(c[inputPotIndex]);
        auto gainLevel = vuFeed[1];
        for (int j = 0; j < factor; ++j)
        {
            const auto phase = t * factor + j;
            advanceFade(s, active, incoming, side.pending, step, restingPlate);
            g = sideChainStep(s, active.data(), incoming.data(), keys[j], c, kTri, kPen, tubes);

            // Both channels of a pair through the gain pot and the three stages at once; this work
            // does not feed the side chain, so it runs in the shadow of the next step's chain.
            const auto gain = Double2::broadcast(g);
            const auto* up = upsampled.data() + phase * numLanePairs * 2;
            for (int p = 0; p < pairs; ++p)
            {
                auto& l = lanes[p];
                l.pot = l.pot + (Double2::load(up + p * 2) * gain * inputGain - l.pot) * inputPot;
                const auto p1 = tubes.audioTriode1(l.pot * triodeScale + gridOffset);
                const auto c1 = hp1.process(p1, l.stage1);
                const auto p2 = tubes.audioTriode2(c1 * triodeScale + gridOffset);
                const auto c2 = l.stage3Output + hp2.process(p2 - l.stage3Output, l.stage2);
                const auto p3 = tubes.driver(c2 * driver);
                l.stage3Output = p3;
                held[j][p] = hp3.process(p3, l.stage3);
            }
            gainLevel = std::min(gainLevel, g * vuGainScale);
        }
        heldGainLevel = gainLevel;
    }
    if (n > 0)
        flush(n - 1);

    copyChain(s, side);
    side.active = active;
    side.incoming = incoming;
    lastGain = g;
    for (int p = 0; p < pairs; ++p)
        for (int lane = 0; lane < 2 && 2 * p + lane < numProcessed; ++lane)
        {
            const auto pick = [lane](Double2 v) { return lane == 0 ? v.lane0() : v.lane1(); };
            auto& ch = channels[static_cast<std::size_t>(2 * p + lane)];
            ch.pot = pick(lanes[p].pot);
            ch.stage1 = pick(lanes[p].stage1);
            ch.stage2 = pick(lanes[p].stage2);
            ch.stage3Output = pick(lanes[p].stage3Output);
            ch.stage3 = pick(lanes[p].stage3);
        }
}

template <int factor> void OstrelMkIIDsp::decimateChunk(int n) noexcept
{
    // Per output sample, the history before its phases enter: the oldest value against tap 0, then
    // the newest backwards. Eight samples at a time keep eight independent sums in flight.
    const auto L = filters.order + 1;
    const auto* taps = filters.down.data();
    const auto scale = Double2::broadcast(fullScaleVolts);
    for (int p = 0; p < numChannelPairs; ++p)
    {
        const auto* line = decimatorInput.data() + p * decimatorStride;
        int s = 0;
        constexpr int together = 8;
        for (; s + together <= n; s += together)
        {
            const auto* h = line + s * factor * 2;
            Double2 sum[together];
            for (int q = 0; q < together; ++q)
                sum[q] = Double2::broadcast(taps[0]) * Double2::load(h + q * factor * 2);
            for (int k = 1; k < L; ++k)
            {
                const auto tap = Double2::broadcast(taps[k]);
                const auto* newest = h + (L - k) * 2;
                for (int q = 0; q < together; ++q)
                    sum[q] = sum[q] + tap * Double2::load(newest + q * factor * 2);
            }
            for (int q = 0; q < together; ++q)
                (sum[q] / scale).store(decimated.data() + ((s + q) * numChannelPairs + p) * 2);
        }
        for (; s < n; ++s)
        {
            const auto* h = line + s * factor * 2;
            auto sum = Double2::broadcast(taps[0]) * Double2::load(h);
            for (int k = 1; k < L; ++k)
                sum = sum + Double2::broadcast(taps[k]) * Double2::load(h + (L - k) * 2);
            (sum / scale).store(decimated.data() + (s * numChannelPairs + p) * 2);
        }
    }
}

template <typename Sample>
void OstrelMkIIDsp::writeOutputs(int offset, int n, Sample* const* outputs) noexcept
{
    const auto N = numProcessed;
    const auto numOutputs = std::min(numOutputChannels, maxChannels);
    for (int s = 0; s < n; ++s)
    {
        const auto* c = smoothedValues.data() + s * smoothedStride;
        auto outputLevel = vuFeed[2];
        for (int ch = 0; ch < N; ++ch)
        {
            const auto e = decimated[static_cast<std::size_t>((s * numChannelPairs + ch / 2) * 2 + (ch & 1))];
            const auto y = outputTransformer(channels[static_cast<std::size_t>(ch)], e);
            const auto wet = y * outputScale * c[makeupIndex];
            const auto d = dryValues[static_cast<std::size_t>(s * N + ch)];
            const auto mixed = d + (wet - d) * c[mixIndex];
            outputLevel = std::max(outputLevel, std::abs(mixed * vuInputScale));
            outputs[ch][offset + s] = static_cast<Sample>(d + (mixed - d) * c[powerIndex]);
        }
        // Outputs beyond the processed channels repeat them (mono in, stereo out).
        for (int o = N; o < numOutputs; ++o)
            outputs[o][offset + s] = outputs[o % N][offset + s];

        const double levels[3] = {inputLevels[static_cast<std::size_t>(s)],
                                  gainLevels[static_cast<std::size_t>(s)], outputLevel};
        stepNeedle(std::abs(levels[meterSelection]));
    }
}

void OstrelMkIIDsp::storeHistories(int n) noexcept
{
    const auto lanes = numProcessed + (extKeyOn && numKeys > 0 ? numKeys : 0);
    for (int l = 0; l < lanes; ++l)
    {
        const auto* line = upsamplerInput.data() + (l / 2) * upsamplerStride + upsamplerLead * 2 + (l & 1);
        upsamplerHistory->write(l, line, n, 2);
    }
    const auto L = filters.order + 1;
    for (int ch = 0; ch < numProcessed; ++ch)
    {
        const auto* line = decimatorInput.data() + (ch / 2) * decimatorStride + L * 2 + (ch & 1);
        decimatorHistory->write(ch, line, n * oversampling, 2);
    }
}

template <int factor> void OstrelMkIIDsp::oversampledChunk(int n, int upsamplerPairs) noexcept
{
    upsampleChunk<factor>(n, upsamplerPairs);
    computeKeys(n);
    // Channel pairs as a constant, so that their stage states stay in registers.
    switch (numChannelPairs)
    {
    case 1:
        runSteps<factor, 1>(n);
        break;
    case 2:
        runSteps<factor, 2>(n);
        break;
    case 3:
        runSteps<factor, 3>(n);
        break;
    default:
        runSteps<factor, 4>(n);
        break;
    }
    decimateChunk<factor>(n);
}

template <typename Sample>
void OstrelMkIIDsp::processChunk(int offset, int n, const Sample* const* inputs,
                                 Sample* const* outputs) noexcept
{
    // Decimator history in lane pairs ahead of the chunk's values.
    const auto L = filters.order + 1;
    for (int ch = 0; ch < numProcessed; ++ch)
    {
        const auto* window = decimatorHistory->window(ch);
        auto* line = decimatorInput.data() + (ch / 2) * decimatorStride + (ch & 1);
        for (int t = 0; t < L; ++t)
            line[t * 2] = window[t];
    }

    smoothChunk(n);
    readInputs(offset, n, inputs);
    const auto upsamplerPairs = extKeyOn && numKeys > 0 ? numLanePairs : numChannelPairs;
    switch (oversampling)
    {
    case 4:
        oversampledChunk<4>(n, upsamplerPairs);
        break;
    case 2:
        oversampledChunk<2>(n, upsamplerPairs);
        break;
    default:
        oversampledChunk<1>(n, upsamplerPairs);
        break;
    }
    // Every input of the chunk has been read: the buffers may be shared with the outputs.
    writeOutputs(offset, n, outputs);
    storeHistories(n);
}

template <typename Sample>
void OstrelMkIIDsp::process(int numSamples, const Sample* const* inputs, Sample* const* outputs) noexcept
{
    const DSP::ScopedFlushDenormals flushDenormals;
    if (numProcessed <= 0)
        return;
    for (int offset = 0; offset < numSamples; offset += chunkLength)
        processChunk(offset, std::min(chunkLength, numSamples - offset), inputs, outputs);
}

template <typename Sample>
void OstrelMkIIDsp::processBypassed(int numSamples, const Sample* const* inputs,
                                    Sample* const* outputs) noexcept
{
    const DSP::ScopedFlushDenormals flushDenormals;
    const auto N = numProcessed;
    if (N <= 0)
        return;
    const auto numOutputs = std::min(numOutputChannels, maxChannels);
    for (int s = 0; s < numSamples; ++s)
    {
        for (int ch = 0; ch < N; ++ch)
        {
            const auto x = sanitise(static_cast<double>(inputs[ch][s]));
            const auto delayed = dryDelay->oldest(ch);
            dryDelay->write(ch, x);
            outputs[ch][s] = static_cast<Sample>(delayed);
        }
        for (int o = N; o < numOutputs; ++o)
            outputs[o][s] = outputs[o % N][s];
    }
}

void OstrelMkIIDsp::processFloat(int numSamples, const float* const* inputs, float* const* outputs)
{
    process(numSamples, inputs, outputs);
}

void OstrelMkIIDsp::processDouble(int numSamples, const double* const* inputs, double* const* outputs)
{
    process(numSamples, inputs, outputs);
}

void OstrelMkIIDsp::processBypassedFloat(int numSamples, const float* const* inputs, float* const* outputs)
{
    processBypassed(numSamples, inputs, outputs);
}

void OstrelMkIIDsp::processBypassedDouble(int numSamples, const double* const* inputs, double* const* outputs)
{
    processBypassed(numSamples, inputs, outputs);
}
} // namespace QVA
