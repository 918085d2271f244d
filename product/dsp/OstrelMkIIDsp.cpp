#include "OstrelMkIIDsp.h"

#include "OstrelMkIITubeTables.h"
#include "qva_dsp/PolyRoots.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace QVA
{
using namespace OstrelMkII;

namespace
{
double levelFromSetting(double x) noexcept
{
    return std::pow(10.0, (60.0 * x - 60.0) / 20.0);
}

// One-pole coefficient of a 100 k pot with its stray capacitance, at a level c of the pot; a fully
// open pot (c = 1) has no low-pass left.
double potCoefficient(double c, double rate) noexcept
{
    const auto open = 1.0 - c;
    if (open <= 0.0)
        return 1.0;
    return 1.0 - std::exp(-1.0 / (open * potOhms * potStrayFarads * rate));
}

double taper(const double (&table)[11], double x) noexcept
{
    const auto t = x > 1.0 ? 10.0 : 10.0 * std::max(x, 0.0);
    const auto i = static_cast<int>(t);
    return table[i] + (table[std::min(i, 9) + 1] - table[i]) * (t - i);
}

// Transposed direct-form biquad state that has settled on a constant input x; returns the output.
double settle(const double* c, double x, double& s1, double& s2) noexcept
{
    const auto y = (c[0] + c[1] + c[3]) / (1.0 + c[2] + c[4]) * x;
    s2 = c[3] * x - c[4] * y;
    s1 = c[1] * x - c[2] * y + s2;
    return y;
}

double settle(const FirstOrder& f, double x) noexcept
{
    const auto y = (f.b0 + f.b1) / (1.0 + f.a1) * x;
    return f.b1 * x - f.a1 * y;
}
} // namespace

OstrelMkIIDsp::OstrelMkIIDsp(BaseProcessor* owner)
    : BaseDsp(owner), upsamplerHistory(std::make_unique<DSP::CircularBuffer>()),
      decimatorHistory(std::make_unique<DSP::CircularBuffer>()),
      dryDelay(std::make_unique<DSP::CircularBuffer>())
{
    latencySamples = OstrelMkII::latencySamples;
    sampleRate = provisionalSampleRate;
    oversampling = oversamplingFactorFor(sampleRate);
    filters = designOversamplingFilters(oversampling);
    triodeRestingPlate = restingTriodePlate();
    computeCoefficients();
    resizeScratch();
    setDefaultParameters();
    resetState();
}

OstrelMkIIDsp::~OstrelMkIIDsp() = default;

void OstrelMkIIDsp::computeChannelRoles(int numInputs, int numOutputs, int& main, int& keys) const noexcept
{
    main = numMainInputChannels >= 0 ? numMainInputChannels : std::min(numInputs, numOutputs);
    main = std::clamp(main, 0, numInputs);
    keys = numKeyInputChannels >= 0 ? numKeyInputChannels : numInputs - main;
    keys = std::clamp(keys, 0, numInputs - main);
}

void OstrelMkIIDsp::prepareToPlay(double newSampleRate, int newBlockSize, int numInputs, int numOutputs)
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
        upsamplerHistory = DSP::CircularBuffer::realloc(std::move(upsamplerHistory), numProcessed + numKeys,
                                                        OstrelMkII::OversamplingFilters::historyLength);
        decimatorHistory =
            DSP::CircularBuffer::realloc(std::move(decimatorHistory), numProcessed, filters.order + 1);
        dryDelay =
            DSP::CircularBuffer::realloc(std::move(dryDelay), numProcessed, OstrelMkII::latencySamples);
        resizeScratch();
        computeCoefficients();
        setDefaultParameters();
    }

    if (!isPlaying || formatChanged)
        resetState();
    formatChanged = false;
}

void OstrelMkIIDsp::computeCoefficients() noexcept
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

void OstrelMkIIDsp::resetState() noexcept
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
    settleEmphasis(side.active, triodeRestingPlate, side.activeState);
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

void OstrelMkIIDsp::setDefaultParameters() noexcept
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

void OstrelMkIIDsp::setCell(int cell) noexcept
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

void OstrelMkIIDsp::parameterChanged(int parameterIndex, float value)
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

double OstrelMkIIDsp::emphasisResistance(float value) noexcept
{
    return taper(EMPHASISTABLE, static_cast<double>(value)) * emphasisPotOhms;
}

OstrelMkIIDsp::EmphasisPolynomials OstrelMkIIDsp::emphasisPolynomials(double R) noexcept
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

void OstrelMkIIDsp::setEmphasis(float value) noexcept
{
    const auto polynomials = emphasisPolynomials(emphasisResistance(value));
    std::array<std::complex<double>, 3> zeros, poles;
    const auto numeratorReciprocal = DSP::polyroots(polynomials.numerator, zeros);
    const auto denominatorReciprocal = DSP::polyroots(polynomials.denominator, poles);
    DSP::zp2sosInPlace(side.pending.data(), numeratorReciprocal, denominatorReciprocal, zeros, poles,
                       oversampledRate());
    side.pendingSet = true;
    side.emphasisGain = emphasisOutputGain;
}

double OstrelMkIIDsp::cellGain(double conductance, double& feedbackGain) const noexcept
{
    // The cell shunted by 100 k, in series with the "Limit" resistor, loaded by 100 k, after 68 k.
    const auto Rldr = 1.0 / (conductance + current[darkConductanceIndex]);
    const auto R1 = Rldr * cellShuntOhms / (Rldr + cellShuntOhms);
    const auto X = current[limitResistorIndex] + R1;
    const auto Z = X * cellLoadOhms / (cellLoadOhms + X);
    feedbackGain = Z / (Z + cellSeriesOhms);
    return feedbackGain * R1 / X;
}

void OstrelMkIIDsp::settleEmphasis(const EmphasisSet& set, double x, CascadeState& state) noexcept
{
    const auto y = settle(set.data(), x, state.s1, state.s2);
    settle(set.data() + 5, y, state.s3, state.s4);
}

double OstrelMkIIDsp::restingTriodePlate() noexcept
{
    return tubeLookup(OstrelmkIISCTRIODES, -restingTriodeCathode * sidechainTriodeScale + tubeGridOffset);
}

double OstrelMkIIDsp::restingPentodePlate() noexcept
{
    return tubeLookup(OstrelmkIISCPENTODE, -restingPentodeCathode * pentodeScale + tubeGridOffset);
}

void OstrelMkIIDsp::setMeterSel(int selection) noexcept
{
    meterSelection = std::clamp(selection, 0, 2);
    stepNeedle(vuFeed[meterSelection]);
}

double OstrelMkIIDsp::needlePosition(double needleValue) noexcept
{
    const auto p = needleValue > 1.0 ? 14.0 : 14.0 * std::max(needleValue, 0.0);
    const auto i = static_cast<int>(p);
    const auto k = std::min(i, 13) + 1;
    return VUTABLE[i] + (VUTABLE[k] - VUTABLE[i]) * (p - i);
}

double OstrelMkIIDsp::getMeterValue(int)
{
    return powerOn ? needlePosition(needle.value) : 0.0;
}

double OstrelMkIIDsp::getHostMeterValue(int hostMeterIndex)
{
    if (hostMeterIndex != 0 || !powerOn)
        return 0.0;
    return static_cast<double>(static_cast<float>(lastGain / -restingGain) + 1.0f);
}
} // namespace QVA
