#pragma once

// The engine as a plain per-sample loop, kept as the reference that the block-wise engine must
// reproduce (tests compare them) and race (the benchmark times both). It uses the product's
// constants, filter designs, tables and root finder, and nothing of the product engine itself.

#include "OstrelMkIIConstants.h"
#include "OstrelMkIIFilters.h"
#include "OstrelMkIITubeTables.h"
#include "qva_dsp/BaseDsp.h"
#include "qva_dsp/CircularBuffer.h"
#include "qva_dsp/FlushDenormals.h"
#include "qva_dsp/PolyRoots.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <memory>
#include <numbers>

namespace EngineTest
{
using namespace QVA::OstrelMkII;
using QVA::OstrelmkIIAUDIODRIVERWCF;
using QVA::OstrelmkIIAUDIOTRIODE1;
using QVA::OstrelmkIIAUDIOTRIODE2;
using QVA::OstrelmkIISCPENTODE;
using QVA::OstrelmkIISCTRIODES;

class ReferenceEngine : public QVA::BaseDsp
{
public:
    // Coefficients of the emphasis network: two sections of b0, b1, a1, b2, a2.
    using EmphasisSet = std::array<double, 10>;

    struct SideChainState
    {
        double triodeInput = 0.0;
        double triodeCathode = restingTriodeCathode;
        EmphasisSet active{};
        EmphasisSet incoming{};
        EmphasisSet pending{};
        std::array<double, 4> activeState{}; // s1, s2 of each section
        std::array<double, 4> incomingState{};
        double fade = 1.0; // 0 plays the active set, 1 the incoming one
        bool pendingSet = true;
        double emphasisGain = emphasisOutputGain;
        double pentodeCathode = restingPentodeCathode;
        double panelState1 = 0.0;
        double panelState2 = 0.0;
        double conductance = 0.0; // resistor memory, siemens
        double feedbackGain = restingGain;
    };

    explicit ReferenceEngine(QVA::BaseProcessor* owner);
    ~ReferenceEngine() override;

    void prepareToPlay(double newSampleRate, int newBlockSize, int numInputs, int numOutputs) override;
    void releaseResources() override {}
    void parameterChanged(int parameterIndex, float value) override;
    void processFloat(int numSamples, const float* const* inputs, float* const* outputs) override;
    void processDouble(int numSamples, const double* const* inputs, double* const* outputs) override;
    void processBypassedFloat(int numSamples, const float* const* inputs, float* const* outputs) override;
    void processBypassedDouble(int numSamples, const double* const* inputs, double* const* outputs) override;
    double getMeterValue(int meterIndex) override;
    double getHostMeterValue(int hostMeterIndex) override;

    // Sets the targets (not the current values) to the parameter set's defaults.
    void setDefaultParameters() noexcept;
    // Designs the side-chain emphasis for a setting 0..1 into the pending slot; it fades in over two
    // seconds once any fade in progress has ended.
    void setEmphasis(float value) noexcept;
    // One oversampled step of the side chain: returns the audio gain of the cell for this key.
    double processSidechain(double key) noexcept;
    // 0 input level, 1 gain reduction, 2 output level; feeds the needle one step of the new quantity.
    void setMeterSel(int selection) noexcept;

    // Needle position on the meter scale for a needle value (clamped to 0..1).
    static double needlePosition(double needleValue) noexcept;
    // Emphasis pot resistance in ohms for a setting 0..1.
    static double emphasisResistance(float value) noexcept;
    // Numerator and denominator of the emphasis network in ascending powers of s.
    struct EmphasisPolynomials
    {
        std::array<double, 4> numerator;
        std::array<double, 4> denominator;
    };
    static EmphasisPolynomials emphasisPolynomials(double resistance) noexcept;

    // Read-only views of the engine's state, for tests and tools.
    int getOversamplingFactor() const noexcept { return oversampling; }
    int getNumProcessedChannels() const noexcept { return numProcessed; }
    int getNumKeyChannels() const noexcept { return numKeys; }
    double getLastGain() const noexcept { return lastGain; }
    double getNeedleValue() const noexcept { return needle.value; }
    double getCurrent(int index) const noexcept { return current[static_cast<std::size_t>(index)]; }
    double getTarget(int index) const noexcept { return target[static_cast<std::size_t>(index)]; }
    const SideChainState& getSideChain() const noexcept { return side; }
    const OversamplingFilters& getOversamplingFilters() const noexcept { return filters; }

private:
    struct ChannelState
    {
        double inputFlux = 0.0, inputHighPass = 0.0;
        double outputFlux = 0.0, outputHighPass = 0.0;
        double pot = 0.0;
        double stage1 = 0.0, stage2 = 0.0, stage3Output = 0.0, stage3 = 0.0;
    };

    struct Needle
    {
        Biquad filter;
        double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0, value = 0.0;
    };

    template <typename Sample>
    void process(int numSamples, const Sample* const* inputs, Sample* const* outputs) noexcept;
    template <typename Sample>
    void processBypassed(int numSamples, const Sample* const* inputs, Sample* const* outputs) noexcept;

    void computeChannelRoles(int numInputs, int numOutputs, int& main, int& keys) const noexcept;
    void computeCoefficients() noexcept;
    void resetState() noexcept;
    void setCell(int cell) noexcept;
    void advanceEmphasisFade() noexcept;
    // Audio gain of the resistor network for a cell conductance; also gives the feedback gain.
    double cellGain(double conductance, double& feedbackGain) const noexcept;
    // Plate voltages of the side-chain triode and pentode at rest (no key).
    static double restingTriodePlate() noexcept;
    static double restingPentodePlate() noexcept;
    void stepNeedle(double x) noexcept;
    double oversampledRate() const noexcept { return sampleRate * oversampling; }

    // Transformer with core saturation: the flux (-1..1) integrates the output and thins the drive.
    double inputTransformer(ChannelState& state, double x) noexcept;
    double outputTransformer(ChannelState& state, double x) noexcept;

    std::array<double, numSmoothedValues> current{};
    std::array<double, numSmoothedValues> target{};
    double smoothing = 0.0;

    bool formatChanged = true;
    bool powerOn = true;
    bool extKeyOn = false;
    int meterSelection = defaultMeterSelection;
    int cellIndex = 0;

    // Channel roles: processed channels are main inputs 0..numProcessed-1 (up to the outputs); key
    // channels are the side-chain inputs starting at input keyInputOffset.
    int numProcessed = 0;
    int numKeys = 0;
    int keyInputOffset = 0;
    int preparedMainInputs = -2;
    int preparedKeyInputs = -2;

    int oversampling = 4;
    OversamplingFilters filters;
    std::unique_ptr<QVA::DSP::CircularBuffer> upsamplerHistory;
    std::unique_ptr<QVA::DSP::CircularBuffer> decimatorHistory;
    std::unique_ptr<QVA::DSP::CircularBuffer> dryDelay;

    std::array<ChannelState, maxChannels> channels{};
    std::array<ChannelState, maxChannels> keyChannels{};

    FirstOrder transformerHighPass, stage1HighPass, stage2HighPass, stage3HighPass;
    double inverseSampleRate = 1.0 / provisionalSampleRate;
    double fluxLeak = 0.0;
    double emphasisStep = 0.0;
    double triodeSmoothing = 0.0;
    double pentodeSmoothing = 0.0;

    SideChainState side;
    double lastGain = restingGain;

    Needle needle;
};

namespace detail
{
// Inputs beyond +120 dBFS are clipped and non-finite samples count as silence, so no state of the
// engine ever leaves the finite range.
inline constexpr double inputLimit = 1.0e6;

inline double sanitise(double x) noexcept
{
    return std::isfinite(x) ? std::clamp(x, -inputLimit, inputLimit) : 0.0;
}

inline double levelFromSetting(double x) noexcept
{
    return std::pow(10.0, (60.0 * x - 60.0) / 20.0);
}

// One-pole coefficient of a 100 k pot with its stray capacitance, at a level c of the pot; a fully
// open pot (c = 1) has no low-pass left.
inline double potCoefficient(double c, double rate) noexcept
{
    const auto open = 1.0 - c;
    if (open <= 0.0)
        return 1.0;
    return 1.0 - std::exp(-1.0 / (open * potOhms * potStrayFarads * rate));
}

inline double taper(const double (&table)[11], double x) noexcept
{
    const auto t = x > 1.0 ? 10.0 : 10.0 * std::max(x, 0.0);
    const auto i = static_cast<int>(t);
    return table[i] + (table[std::min(i, 9) + 1] - table[i]) * (t - i);
}

// Transposed direct-form biquad state that has settled on a constant input x; returns the output.
inline double settle(const double* c, double x, double& s1, double& s2) noexcept
{
    const auto y = (c[0] + c[1] + c[3]) / (1.0 + c[2] + c[4]) * x;
    s2 = c[3] * x - c[4] * y;
    s1 = c[1] * x - c[2] * y + s2;
    return y;
}

inline double settle(const FirstOrder& f, double x) noexcept
{
    const auto y = (f.b0 + f.b1) / (1.0 + f.a1) * x;
    return f.b1 * x - f.a1 * y;
}

inline void settleEmphasis(const ReferenceEngine::EmphasisSet& set, double x,
                           std::array<double, 4>& state) noexcept
{
    const auto y = settle(set.data(), x, state[0], state[1]);
    settle(set.data() + 5, y, state[2], state[3]);
}

inline double biquad(const double* c, double x, double& s1, double& s2) noexcept
{
    const auto y = c[0] * x + s1;
    s1 = c[1] * x - c[2] * y + s2;
    s2 = c[3] * x - c[4] * y;
    return y;
}
} // namespace detail
using namespace detail;

inline ReferenceEngine::ReferenceEngine(QVA::BaseProcessor* owner)
    : BaseDsp(owner), upsamplerHistory(std::make_unique<QVA::DSP::CircularBuffer>()),
      decimatorHistory(std::make_unique<QVA::DSP::CircularBuffer>()),
      dryDelay(std::make_unique<QVA::DSP::CircularBuffer>())
{
    latencySamples = QVA::OstrelMkII::latencySamples;
    sampleRate = provisionalSampleRate;
    oversampling = oversamplingFactorFor(sampleRate);
    filters = designOversamplingFilters(oversampling);
    computeCoefficients();
    setDefaultParameters();
    resetState();
}

ReferenceEngine::~ReferenceEngine() = default;

inline void ReferenceEngine::computeChannelRoles(int numInputs, int numOutputs, int& main,
                                                 int& keys) const noexcept
{
    main = numMainInputChannels >= 0 ? numMainInputChannels : std::min(numInputs, numOutputs);
    main = std::clamp(main, 0, numInputs);
    keys = numKeyInputChannels >= 0 ? numKeyInputChannels : numInputs - main;
    keys = std::clamp(keys, 0, numInputs - main);
}

inline void ReferenceEngine::prepareToPlay(double newSampleRate, int newBlockSize, int numInputs,
                                           int numOutputs)
{
    int main = 0, keys = 0;
    computeChannelRoles(numInputs, numOutputs, main, keys);

    if (newSampleRate != sampleRate || newBlockSize != blockSize || numInputs != numInputChannels ||
        numOutputs != numOutputChannels || main != preparedMainInputs || keys != preparedKeyInputs)
    {
        sampleRate = newSampleRate;
        blockSize = newBlockSize;
        numInputChannels = numInputs;
        numOutputChannels = numOutputs;
        preparedMainInputs = main;
        preparedKeyInputs = keys;
        formatChanged = true;

        numProcessed = std::min({main, std::max(numOutputs, 0), maxChannels});
        numKeys = std::min(keys, maxChannels);
        keyInputOffset = main;

        smoothing = 1.0 - std::exp(-1.0 / (smoothingSeconds * sampleRate));
        oversampling = oversamplingFactorFor(sampleRate);
        filters = designOversamplingFilters(oversampling);
        upsamplerHistory = QVA::DSP::CircularBuffer::realloc(
            std::move(upsamplerHistory), numProcessed + numKeys, OversamplingFilters::historyLength);
        decimatorHistory =
            QVA::DSP::CircularBuffer::realloc(std::move(decimatorHistory), numProcessed, filters.order + 1);
        dryDelay = QVA::DSP::CircularBuffer::realloc(std::move(dryDelay), numProcessed,
                                                     QVA::OstrelMkII::latencySamples);
        computeCoefficients();
        setDefaultParameters();
    }

    if (!isPlaying || formatChanged)
        resetState();
    formatChanged = false;
}

inline void ReferenceEngine::computeCoefficients() noexcept
{
    const auto F = oversampledRate();
    inverseSampleRate = 1.0 / sampleRate;
    emphasisStep = 1.0 / (emphasisFadeSeconds * F);
    fluxLeak = 1.0 - std::exp(-1.0 / sampleRate);
    // Designed at the oversampled rate although it runs once per base-rate sample, which places the
    // transformer's bass corner a factor of os lower.
    transformerHighPass = highPass(transformerHighPassHz, F);
    triodeSmoothing = 1.0 - std::exp(-1.0 / (triodeCathodeSeconds * F));
    pentodeSmoothing = 1.0 - std::exp(-1.0 / (pentodeCathodeSeconds * F));
    stage2HighPass = highPass(stage2HighPassHz, F);
    stage1HighPass = highPass(stage1HighPassHz, F);
    stage3HighPass = highPass(stage3HighPassHz, F);
    needle.filter = needleLowPass(sampleRate);
}

inline void ReferenceEngine::resetState() noexcept
{
    current = target;
    upsamplerHistory->clear();
    decimatorHistory->clear();
    dryDelay->clear();

    // The quiescent point: every coupling capacitor has charged to its stage's resting voltage, so
    // silence leaves the panel dark and the tube stages still.
    const auto pending = side.pending;
    side = SideChainState{};
    side.pending = pending;
    side.active = pending;
    side.incoming = pending;
    settleEmphasis(side.active, restingTriodePlate(), side.activeState);
    side.incomingState = side.activeState;
    settle(current.data() + panelB0Index, restingPentodePlate(), side.panelState1, side.panelState2);
    cellGain(0.0, side.feedbackGain);
    lastGain = restingGain;

    const auto stage1Rest = settle(stage1HighPass, tubeLookup(OstrelmkIIAUDIOTRIODE1, tubeGridOffset));
    const auto stage2Rest =
        settle(stage2HighPass, tubeLookup(OstrelmkIIAUDIOTRIODE2, tubeGridOffset) - restingStage3Output);
    const auto stage3Rest = settle(stage3HighPass, restingStage3Output);
    for (auto& channel : keyChannels)
        channel = ChannelState{};
    for (auto& channel : channels)
    {
        channel = ChannelState{};
        channel.stage1 = stage1Rest;
        channel.stage2 = stage2Rest;
        channel.stage3Output = restingStage3Output;
        channel.stage3 = stage3Rest;
    }

    const auto rest = meterSelection == 1 ? restingNeedle : 0.0;
    needle.x1 = needle.x2 = needle.y1 = needle.y2 = needle.value = rest;
}

inline void ReferenceEngine::setDefaultParameters() noexcept
{
    const auto F = oversampledRate();
    powerOn = true;
    target[powerIndex] = 1.0;
    target[peakGainIndex] = defaultPeakLevel;
    target[peakPotIndex] = potCoefficient(defaultPeakLevel, F);
    target[inputGainIndex] = defaultInputLevel;
    target[inputPotIndex] = potCoefficient(defaultInputLevel, F);
    target[limitResistorIndex] = 0.0;
    setMeterSel(defaultMeterSelection);
    extKeyOn = false;
    target[externalKeyIndex] = 0.0;
    setEmphasis(static_cast<float>(defaultEmphasis));
    setCell(0);
    target[mixIndex] = 1.0;
    target[makeupIndex] = 1.0;
}

inline void ReferenceEngine::setCell(int cell) noexcept
{
    cellIndex = std::clamp(cell, 0, numCells - 1);
    const auto c = static_cast<std::size_t>(cellIndex);
    const auto F = oversampledRate();
    // The panel is driven through a series capacitor into its parallel resistance (high-pass) and is
    // itself a capacitance (low-pass): the product of both first-order sections.
    const auto lp = lowPass(panelLowPassHz, F);
    const auto hp = highPass(1.0 / (2.0 * std::numbers::pi * ELPRPAR[c] * ELPCSERIES[c]), F);
    target[panelB0Index] = lp.b0 * hp.b0;
    target[panelB1Index] = lp.b0 * hp.b1 + lp.b1 * hp.b0;
    target[panelA1Index] = lp.a1 + hp.a1;
    target[panelB2Index] = lp.b1 * hp.b1;
    target[panelA2Index] = lp.a1 * hp.a1;
    target[panelAlphaIndex] = ELPALPHA[c];
    target[panelBetaIndex] = ELPBETA[c];
    target[darkConductanceIndex] = 1.0 / LDRDARKR[c];
    target[attackRateIndex] = LDRATTCOEFF[c] / F;
    target[releaseRateIndex] = LDRRELCOEFF[c] / F;
}

inline void ReferenceEngine::parameterChanged(int parameterIndex, float value)
{
    const auto x = static_cast<double>(value);
    const auto F = oversampledRate();
    switch (parameterIndex)
    {
    case powerParameter:
        powerOn = x > 0.5;
        target[powerIndex] = powerOn ? 1.0 : 0.0;
        break;
    case peakRecParameter:
    {
        const auto c = levelFromSetting(std::min(x, 1.0));
        target[peakGainIndex] = c;
        target[peakPotIndex] = potCoefficient(c, F);
        break;
    }
    case gainParameter:
    {
        const auto c = x > 0.0 ? levelFromSetting(std::min(x, 1.0)) : 0.0;
        target[inputGainIndex] = c;
        target[inputPotIndex] = potCoefficient(c, F);
        break;
    }
    case modeParameter:
        target[limitResistorIndex] = x > 0.5 ? limitResistorOhms : 0.0;
        break;
    case vuLevelParameter:
        setMeterSel(static_cast<int>(x));
        break;
    case extSidechainParameter:
        extKeyOn = x > 0.5;
        target[externalKeyIndex] = extKeyOn ? 1.0 : 0.0;
        break;
    case emphasisParameter:
        setEmphasis(value);
        break;
    case cellSelectParameter:
        setCell(static_cast<int>(x));
        break;
    case makeupParameter:
        target[makeupIndex] = std::pow(10.0, taper(VOLTAPER, x) / 20.0);
        break;
    case mixParameter:
        target[mixIndex] = x;
        break;
    default:
        break;
    }
}

inline double ReferenceEngine::emphasisResistance(float value) noexcept
{
    return taper(EMPHASISTABLE, static_cast<double>(value)) * emphasisPotOhms;
}

inline ReferenceEngine::EmphasisPolynomials ReferenceEngine::emphasisPolynomials(double R) noexcept
{
    // Transfer function of the emphasis network around the pot R, in ascending powers of s.
    const auto q1 = 0.02;
    const auto q2 = 9.400000000000001e-06 + 2e-17 * R * 1000000 + 3.572e-07;
    const auto q3 = 2.0000000000000003e-25 * R * 47000 * 1000000 + 7.6e-27 * R * 47000 * 1000000;
    const auto d1 = 2e-08 * R + 1e-09 * R + 0.02 + 0.01 + 0.00047 + 1.786e-05;
    const auto d2 = 7.6e-18 * R * 47000 + 2.0000000000000002e-16 * R * 47000 +
                    2.0000000000000002e-16 * R * 1000000 + 3.8e-19 * R * 47000 + 1e-17 * R * 47000 +
                    2e-17 * R * 1000000 + 1e-17 * R * 1000000 + 9.400000000000001e-06 + 3.572e-07 + 1.786e-07;
    const auto d3 = 7.6e-26 * R * 47000 * 1000000 + 3.8e-27 * R * 47000 * 1000000 + q3;
    return {{0.0, q1, q2, q3}, {1.0, d1, d2, d3}};
}

inline void ReferenceEngine::setEmphasis(float value) noexcept
{
    const auto polynomials = emphasisPolynomials(emphasisResistance(value));
    std::array<std::complex<double>, 3> zeros, poles;
    const auto numeratorReciprocal = QVA::DSP::polyroots(polynomials.numerator, zeros);
    const auto denominatorReciprocal = QVA::DSP::polyroots(polynomials.denominator, poles);
    QVA::DSP::zp2sosInPlace(side.pending.data(), numeratorReciprocal, denominatorReciprocal, zeros, poles,
                            oversampledRate());
    side.pendingSet = true;
    side.emphasisGain = emphasisOutputGain;
}

inline void ReferenceEngine::advanceEmphasisFade() noexcept
{
    side.fade = std::min(side.fade + emphasisStep, 1.0);
    if (side.fade >= 1.0 && side.pendingSet)
    {
        side.pendingSet = false;
        side.fade = 0.0;
        side.active = side.incoming;
        side.activeState = side.incomingState;
        side.incoming = side.pending;
        settleEmphasis(side.incoming, restingTriodePlate(), side.incomingState);
    }
}

inline double ReferenceEngine::processSidechain(double key) noexcept
{
    auto& s = side;
    // Peak-reduction pot, fed from the cell's output: the side chain listens to the reduced signal.
    s.triodeInput += (key * current[peakGainIndex] * s.feedbackGain - s.triodeInput) * current[peakPotIndex];

    const auto e =
        tubeLookup(OstrelmkIISCTRIODES, (s.triodeInput - s.triodeCathode) * sidechainTriodeScale + 0.5);
    s.triodeCathode += ((plateSupplyVolts - e) * triodeCathodeScale - s.triodeCathode) * triodeSmoothing;

    const auto m1 =
        biquad(s.active.data() + 5, biquad(s.active.data(), e, s.activeState[0], s.activeState[1]),
               s.activeState[2], s.activeState[3]);
    const auto m2 =
        biquad(s.incoming.data() + 5, biquad(s.incoming.data(), e, s.incomingState[0], s.incomingState[1]),
               s.incomingState[2], s.incomingState[3]);
    const auto m = (m1 + (m2 - m1) * s.fade) * s.emphasisGain;

    const auto q = tubeLookup(OstrelmkIISCPENTODE, (m - s.pentodeCathode) * pentodeScale + 0.5);
    s.pentodeCathode += ((plateSupplyVolts - q) * pentodeCathodeScale - s.pentodeCathode) * pentodeSmoothing;

    const auto U = biquad(current.data() + panelB0Index, q, s.panelState1, s.panelState2);
    const auto light =
        current[panelBetaIndex] * std::exp(-current[panelAlphaIndex] / (std::abs(U) + panelEpsilon));

    // Square-law resistor memory: fast towards more light, slow back to dark.
    const auto d = light - s.conductance;
    s.conductance = std::max(
        s.conductance + d * d * (d > 0.0 ? current[attackRateIndex] : current[releaseRateIndex]), 0.0);

    return cellGain(s.conductance, s.feedbackGain);
}

inline double ReferenceEngine::cellGain(double conductance, double& feedbackGain) const noexcept
{
    // The cell shunted by 100 k, in series with the "Limit" resistor, loaded by 100 k, after 68 k.
    const auto Rldr = 1.0 / (conductance + current[darkConductanceIndex]);
    const auto R1 = Rldr * cellShuntOhms / (Rldr + cellShuntOhms);
    const auto X = current[limitResistorIndex] + R1;
    const auto Z = X * cellLoadOhms / (cellLoadOhms + X);
    feedbackGain = Z / (Z + cellSeriesOhms);
    return feedbackGain * R1 / X;
}

inline double ReferenceEngine::restingTriodePlate() noexcept
{
    return tubeLookup(OstrelmkIISCTRIODES, -restingTriodeCathode * sidechainTriodeScale + tubeGridOffset);
}

inline double ReferenceEngine::restingPentodePlate() noexcept
{
    return tubeLookup(OstrelmkIISCPENTODE, -restingPentodeCathode * pentodeScale + tubeGridOffset);
}

inline double ReferenceEngine::inputTransformer(ChannelState& state, double x) noexcept
{
    const auto flux2 = state.inputFlux * state.inputFlux;
    const auto flux4 = flux2 * flux2;
    const auto h = (1.0 - flux4 * flux4) * x;
    const auto y = transformerHighPass.process(h, state.inputHighPass);
    state.inputFlux = std::clamp(
        state.inputFlux + y * inverseSampleRate * inputFluxGain - state.inputFlux * fluxLeak, -1.0, 1.0);
    return y;
}

inline double ReferenceEngine::outputTransformer(ChannelState& state, double x) noexcept
{
    const auto flux2 = state.outputFlux * state.outputFlux;
    const auto flux4 = flux2 * flux2;
    const auto h = (1.0 - flux4 * flux4) * x;
    const auto y = transformerHighPass.process(h, state.outputHighPass);
    state.outputFlux = std::clamp(
        state.outputFlux + y * inverseSampleRate * outputFluxGain - state.outputFlux * fluxLeak, -1.0, 1.0);
    return y;
}

inline void ReferenceEngine::stepNeedle(double x) noexcept
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

inline void ReferenceEngine::setMeterSel(int selection) noexcept
{
    meterSelection = std::clamp(selection, 0, 2);
    stepNeedle(vuFeed[meterSelection]);
}

template <typename Sample>
inline void ReferenceEngine::process(int numSamples, const Sample* const* inputs,
                                     Sample* const* outputs) noexcept
{
    const QVA::DSP::ScopedFlushDenormals flushDenormals;
    const auto N = numProcessed;
    if (N <= 0 || numSamples <= 0)
        return;

    const auto K = numKeys;
    const auto os = oversampling;
    const auto numOutputs = std::min(numOutputChannels, maxChannels);
    const auto L = filters.order + 1;
    const auto inverseN = 1.0 / N;
    const auto inverseK = K > 0 ? 1.0 / K : 0.0;

    std::array<double, maxChannels> dry{};
    std::array<std::array<double, OversamplingFilters::maxFactor>, 2 * maxChannels> up{};
    std::array<std::array<double, OversamplingFilters::maxFactor>, maxChannels> down{};
    std::array<double, OversamplingFilters::maxFactor> key{};

    const auto upsample = [&](int line, double u)
    {
        upsamplerHistory->write(line, u);
        const auto* h = upsamplerHistory->window(line);
        for (int j = 0; j < os; ++j)
        {
            const auto& taps = filters.up[static_cast<std::size_t>(j)];
            double sum = 0.0;
            for (int l = 0; l < OversamplingFilters::historyLength; ++l)
                sum += taps[static_cast<std::size_t>(l)] * h[OversamplingFilters::historyLength - 1 - l];
            up[static_cast<std::size_t>(line)][static_cast<std::size_t>(j)] = sum;
        }
    };

    for (int s = 0; s < numSamples; ++s)
    {
        for (std::size_t i = 0; i < current.size(); ++i)
            current[i] += (target[i] - current[i]) * smoothing;

        double inputLevel = vuFeed[0], gainLevel = vuFeed[1], outputLevel = vuFeed[2];

        // Read every input of this sample before any output is written: the buffers are shared.
        for (int ch = 0; ch < N; ++ch)
        {
            const auto x = sanitise(static_cast<double>(inputs[ch][s]));
            dry[static_cast<std::size_t>(ch)] = dryDelay->oldest(ch);
            dryDelay->write(ch, x);
            inputLevel = std::max(inputLevel, std::abs(x * vuInputScale));
            const auto y = inputTransformer(channels[static_cast<std::size_t>(ch)], x);
            upsample(ch, y * inputScale * fullScaleVolts);
        }
        const auto externalKey = extKeyOn && K > 0;
        if (externalKey)
            for (int k = 0; k < K; ++k)
            {
                const auto x = sanitise(static_cast<double>(inputs[keyInputOffset + k][s]));
                const auto y = inputTransformer(keyChannels[static_cast<std::size_t>(k)], x);
                upsample(N + k, y * inputScale * fullScaleVolts);
            }

        // Stereo link: the key is the mean of the processed channels, faded towards the mean of the
        // side-chain channels when the external key is on (a mono key keys every channel).
        for (int j = 0; j < os; ++j)
        {
            double sum = 0.0;
            for (int ch = 0; ch < N; ++ch)
                sum += up[static_cast<std::size_t>(ch)][static_cast<std::size_t>(j)];
            auto k = sum * inverseN;
            if (externalKey)
            {
                double keySum = 0.0;
                for (int kc = 0; kc < K; ++kc)
                    keySum += up[static_cast<std::size_t>(N + kc)][static_cast<std::size_t>(j)];
                k += (keySum * inverseK - k) * current[externalKeyIndex];
            }
            key[static_cast<std::size_t>(j)] = k;
        }

        for (int j = 0; j < os; ++j)
        {
            advanceEmphasisFade();
            const auto g = processSidechain(key[static_cast<std::size_t>(j)]);
            lastGain = g;
            for (int ch = 0; ch < N; ++ch)
            {
                auto& c = channels[static_cast<std::size_t>(ch)];
                c.pot += (up[static_cast<std::size_t>(ch)][static_cast<std::size_t>(j)] * g *
                              current[inputGainIndex] -
                          c.pot) *
                         current[inputPotIndex];
                const auto p1 = tubeLookup(OstrelmkIIAUDIOTRIODE1, c.pot * audioTriodeScale + tubeGridOffset);
                const auto c1 = stage1HighPass.process(p1, c.stage1);
                const auto p2 = tubeLookup(OstrelmkIIAUDIOTRIODE2, c1 * audioTriodeScale + tubeGridOffset);
                const auto c2 = c.stage3Output + stage2HighPass.process(p2 - c.stage3Output, c.stage2);
                const auto p3 = tubeLookup(OstrelmkIIAUDIODRIVERWCF, c2 * driverScale);
                c.stage3Output = p3;
                down[static_cast<std::size_t>(ch)][static_cast<std::size_t>(j)] =
                    stage3HighPass.process(p3, c.stage3);
            }
            gainLevel = std::min(gainLevel, g * vuGainScale);
        }

        for (int ch = 0; ch < N; ++ch)
        {
            // The history before this sample's phases enter: the oldest value first, then the newest
            // backwards. With the symmetric taps this centres the filter on phase 0 of 16 samples ago.
            const auto* h = decimatorHistory->data(ch) + decimatorHistory->getPosition(ch);
            auto e = filters.down[0] * h[0];
            for (int k = 1; k < L; ++k)
                e += filters.down[static_cast<std::size_t>(k)] * h[L - k];
            e /= fullScaleVolts;
            for (int j = 0; j < os; ++j)
                decimatorHistory->write(ch, down[static_cast<std::size_t>(ch)][static_cast<std::size_t>(j)]);

            auto& c = channels[static_cast<std::size_t>(ch)];
            const auto y = outputTransformer(c, e);
            const auto wet = y * outputScale * current[makeupIndex];
            const auto d = dry[static_cast<std::size_t>(ch)];
            const auto mixed = d + (wet - d) * current[mixIndex];
            outputLevel = std::max(outputLevel, std::abs(mixed * vuInputScale));
            outputs[ch][s] = static_cast<Sample>(d + (mixed - d) * current[powerIndex]);
        }
        // Outputs beyond the processed channels repeat them (mono in, stereo out).
        for (int o = N; o < numOutputs; ++o)
            outputs[o][s] = outputs[o % N][s];

        const double levels[3] = {inputLevel, gainLevel, outputLevel};
        stepNeedle(std::abs(levels[meterSelection]));
    }
}

template <typename Sample>
inline void ReferenceEngine::processBypassed(int numSamples, const Sample* const* inputs,
                                             Sample* const* outputs) noexcept
{
    const QVA::DSP::ScopedFlushDenormals flushDenormals;
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

inline void ReferenceEngine::processFloat(int numSamples, const float* const* inputs, float* const* outputs)
{
    process(numSamples, inputs, outputs);
}

inline void ReferenceEngine::processDouble(int numSamples, const double* const* inputs,
                                           double* const* outputs)
{
    process(numSamples, inputs, outputs);
}

inline void ReferenceEngine::processBypassedFloat(int numSamples, const float* const* inputs,
                                                  float* const* outputs)
{
    processBypassed(numSamples, inputs, outputs);
}

inline void ReferenceEngine::processBypassedDouble(int numSamples, const double* const* inputs,
                                                   double* const* outputs)
{
    processBypassed(numSamples, inputs, outputs);
}

inline double ReferenceEngine::needlePosition(double needleValue) noexcept
{
    const auto p = needleValue > 1.0 ? 14.0 : 14.0 * std::max(needleValue, 0.0);
    const auto i = static_cast<int>(p);
    const auto k = std::min(i, 13) + 1;
    return VUTABLE[i] + (VUTABLE[k] - VUTABLE[i]) * (p - i);
}

inline double ReferenceEngine::getMeterValue(int)
{
    return powerOn ? needlePosition(needle.value) : 0.0;
}

inline double ReferenceEngine::getHostMeterValue(int hostMeterIndex)
{
    if (hostMeterIndex != 0 || !powerOn)
        return 0.0;
    return static_cast<double>(static_cast<float>(lastGain / -restingGain) + 1.0f);
}
} // namespace EngineTest
