#pragma once

#include "OstrelMkIIConstants.h"
#include "OstrelMkIIFilters.h"
#include "OstrelMkIITubeCurves.h"
#include "qva_dsp/BaseDsp.h"
#include "qva_dsp/CircularBuffer.h"

#include <array>
#include <memory>
#include <vector>

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

    // States of the two emphasis sections (s1, s2 of the first, then of the second).
    struct CascadeState
    {
        double s1 = 0.0, s2 = 0.0, s3 = 0.0, s4 = 0.0;
    };

    struct SideChainState
    {
        double triodeInput = 0.0;
        double triodeCathode = OstrelMkII::restingTriodeCathode;
        EmphasisSet active{};
        EmphasisSet incoming{};
        EmphasisSet pending{};
        CascadeState activeState;
        CascadeState incomingState;
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

    // Audio runs in chunks of at most chunkLength samples. Per chunk: the smoothed values of every
    // sample, the inputs with the dry delay, transformers and interpolation, the keys; then the
    // oversampled steps (side chain and tube stages, the one serial chain of the engine); then the
    // decimation and the outputs. Channel pairs share two-lane arithmetic.
    static constexpr int chunkLength = 64;
    // Stride of the smoothed values: 19 used, padded to pairs.
    static constexpr int smoothedStride = 20;

    template <typename Sample>
    void process(int numSamples, const Sample* const* inputs, Sample* const* outputs) noexcept;
    template <typename Sample>
    void processBypassed(int numSamples, const Sample* const* inputs, Sample* const* outputs) noexcept;
    template <typename Sample>
    void processChunk(int offset, int n, const Sample* const* inputs, Sample* const* outputs) noexcept;
    void smoothChunk(int n) noexcept;
    template <typename Sample> void readInputs(int offset, int n, const Sample* const* inputs) noexcept;
    template <int factor> void upsampleChunk(int n, int pairs) noexcept;
    void computeKeys(int n) noexcept;
    template <int factor, int pairs> void runSteps(int n) noexcept;
    template <int factor> void decimateChunk(int n) noexcept;
    template <int factor> void oversampledChunk(int n, int upsamplerPairs) noexcept;
    template <typename Sample> void writeOutputs(int offset, int n, Sample* const* outputs) noexcept;
    void storeHistories(int n) noexcept;
    void resizeScratch();

    void computeChannelRoles(int numInputs, int numOutputs, int& main, int& keys) const noexcept;
    void computeCoefficients() noexcept;
    void resetState() noexcept;
    void setCell(int cell) noexcept;
    // Audio gain of the resistor network for a cell conductance; also gives the feedback gain.
    double cellGain(double conductance, double& feedbackGain) const noexcept;
    // One side-chain step on a state with the fields of SideChainState (the engine's, or a copy in
    // locals for a chunk), the emphasis sets and the smoothed values c (indices as `current`).
    template <typename State>
    static double sideChainStep(State& s, const double* active, const double* incoming, double key,
                                const double* c, double triodeSmoothing, double pentodeSmoothing,
                                const OstrelMkII::TubeCurves& curves) noexcept;
    // Advances the emphasis crossfade by one step; a pending design starts when the running fade ends.
    template <typename State>
    static void advanceFade(State& s, EmphasisSet& active, EmphasisSet& incoming, const EmphasisSet& pending,
                            double step, double restingPlate) noexcept;
    // States of the emphasis cascade settled on a constant input.
    static void settleEmphasis(const EmphasisSet& set, double x, CascadeState& state) noexcept;
    // Plate voltages of the side-chain triode and pentode at rest (no key).
    static double restingTriodePlate() noexcept;
    static double restingPentodePlate() noexcept;
    // Inputs beyond +120 dBFS are clipped and non-finite samples count as silence, so no state of the
    // engine ever leaves the finite range.
    static double sanitise(double x) noexcept;
    void stepNeedle(double x) noexcept;
    double oversampledRate() const noexcept { return sampleRate * oversampling; }

    // Transformer with core saturation: the flux (-1..1) integrates the output and thins the drive.
    double inputTransformer(ChannelState& state, double x) const noexcept;
    double outputTransformer(ChannelState& state, double x) const noexcept;

    std::array<double, smoothedStride> current{};
    std::array<double, smoothedStride> target{};
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
    double triodeRestingPlate = 0.0;
    const OstrelMkII::TubeCurves* curves = &OstrelMkII::tubeCurves();

    // Chunk scratch, sized by the preparation. Lane-paired buffers hold two channels per time step.
    int numLanePairs = 0;               // processed and key channels, for the interpolator
    int numChannelPairs = 0;            // processed channels
    int upsamplerStride = 0;            // doubles per lane pair of upsamplerInput
    int decimatorStride = 0;            // doubles per lane pair of decimatorInput
    std::vector<double> smoothedValues; // chunkLength x smoothedStride
    std::vector<double> dryValues;      // chunkLength x processed channels
    std::vector<double> inputLevels, gainLevels;
    std::vector<double> upsamplerInput; // per pair: 32 samples of history, then the chunk
    std::vector<double> upsamplerTaps;  // [phase][tap] each in both lanes
    std::vector<double> upsampled;      // [sample][phase][pair][lane]
    std::vector<double> keyValues;      // [sample][phase]
    std::vector<double> decimatorInput; // per pair: order + 1 values of history, then the chunk
    std::vector<double> decimated;      // [sample][pair][lane]

    Needle needle;
};
} // namespace QVA
