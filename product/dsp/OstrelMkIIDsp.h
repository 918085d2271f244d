#pragma once

#include "OstrelMkIIConstants.h"
#include "OstrelMkIIFilters.h"
#include "qva_dsp/BaseDsp.h"
#include "qva_dsp/CircularBuffer.h"

#include <array>
#include <memory>

namespace QVA
{
// Tube leveling amplifier with an optical gain cell. The audio runs through an input transformer, an
// interpolator to 1, 2 or 4 times the host rate, a gain pot and three tube stages, a decimator, an
// output transformer, makeup, mix and the power crossfade. Per oversampled step the side chain turns a
// key (the mean of the processed channels, or the external side-chain input) into the cell's gain.
// Everything is computed in double precision; the reported latency is 32 samples at every rate.
class OstrelMkIIDsp : public BaseDsp
{
public:
    static constexpr const auto& VOLTAPER = OstrelMkII::VOLTAPER;

    // Coefficients of the emphasis network: two sections of b0, b1, a1, b2, a2.
    using EmphasisSet = std::array<double, 10>;

    struct SideChainState
    {
        double triodeInput = 0.0;
        double triodeCathode = OstrelMkII::restingTriodeCathode;
        EmphasisSet active{};
        EmphasisSet incoming{};
        EmphasisSet pending{};
        std::array<double, 4> activeState{}; // s1, s2 of each section
        std::array<double, 4> incomingState{};
        double fade = 1.0; // 0 plays the active set, 1 the incoming one
        bool pendingSet = true;
        double emphasisGain = OstrelMkII::emphasisOutputGain;
        double pentodeCathode = OstrelMkII::restingPentodeCathode;
        double panelState1 = 0.0;
        double panelState2 = 0.0;
        double conductance = 0.0; // resistor memory, siemens
        double feedbackGain = OstrelMkII::restingGain;
    };

    explicit OstrelMkIIDsp(BaseProcessor* owner);
    ~OstrelMkIIDsp() override;

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
    const OstrelMkII::OversamplingFilters& getOversamplingFilters() const noexcept { return filters; }

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
        OstrelMkII::Biquad filter;
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

    std::array<double, OstrelMkII::numSmoothedValues> current{};
    std::array<double, OstrelMkII::numSmoothedValues> target{};
    double smoothing = 0.0;

    bool formatChanged = true;
    bool powerOn = true;
    bool extKeyOn = false;
    int meterSelection = OstrelMkII::defaultMeterSelection;
    int cellIndex = 0;

    // Channel roles: processed channels are main inputs 0..numProcessed-1 (up to the outputs); key
    // channels are the side-chain inputs starting at input keyInputOffset.
    int numProcessed = 0;
    int numKeys = 0;
    int keyInputOffset = 0;
    int preparedMainInputs = -2;
    int preparedKeyInputs = -2;

    int oversampling = 4;
    OstrelMkII::OversamplingFilters filters;
    std::unique_ptr<DSP::CircularBuffer> upsamplerHistory;
    std::unique_ptr<DSP::CircularBuffer> decimatorHistory;
    std::unique_ptr<DSP::CircularBuffer> dryDelay;

    std::array<ChannelState, OstrelMkII::maxChannels> channels{};
    std::array<ChannelState, OstrelMkII::maxChannels> keyChannels{};

    OstrelMkII::FirstOrder transformerHighPass, stage1HighPass, stage2HighPass, stage3HighPass;
    double inverseSampleRate = 1.0 / OstrelMkII::provisionalSampleRate;
    double fluxLeak = 0.0;
    double emphasisStep = 0.0;
    double triodeSmoothing = 0.0;
    double pentodeSmoothing = 0.0;

    SideChainState side;
    double lastGain = OstrelMkII::restingGain;

    Needle needle;
};
} // namespace QVA
