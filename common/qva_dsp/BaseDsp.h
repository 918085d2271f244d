#pragma once

namespace QVA
{
class BaseProcessor;

// The engine interface a processor drives. Engines are plain C++: they never see JUCE, so their
// maths can be tested and benchmarked without a host. The processor always passes the same channel
// array as inputs and outputs (processing is in place). Input indices cover the main input channels
// followed by the side-chain channels; output indices cover the main output.
class BaseDsp
{
public:
    explicit BaseDsp(BaseProcessor* owner) : processor(owner) {}
    virtual ~BaseDsp() = default;

    BaseDsp(const BaseDsp&) = delete;
    BaseDsp& operator=(const BaseDsp&) = delete;

    virtual void prepareToPlay(double newSampleRate, int newBlockSize, int numInputs, int numOutputs) = 0;
    virtual void releaseResources() {}
    virtual void parameterChanged(int parameterIndex, float value) = 0;
    virtual void processFloat(int numSamples, const float* const* inputs, float* const* outputs) = 0;
    virtual void processDouble(int numSamples, const double* const* inputs, double* const* outputs) = 0;
    virtual void processBypassedFloat(int numSamples, const float* const* inputs, float* const* outputs) = 0;
    virtual void processBypassedDouble(int numSamples, const double* const* inputs, double* const* outputs) = 0;
    virtual double getMeterValue(int meterIndex) = 0;
    virtual double getHostMeterValue(int hostMeterIndex) = 0;

    // Which of the input channels belong to the main bus and which to the side-chain bus. The
    // processor sets this from its bus layout before every preparation. Left at -1, an engine
    // derives the roles from the totals: main = min(inputs, outputs), key = the rest.
    void setChannelRoles(int mainInputs, int keyInputs) noexcept
    {
        numMainInputChannels = mainInputs;
        numKeyInputChannels = keyInputs;
    }

    int latencySamples = 0;
    int blockSize = 0;
    double sampleRate = 0.0;
    int numInputChannels = 0;
    int numOutputChannels = 0;
    int numMainInputChannels = -1;
    int numKeyInputChannels = -1;

    // Written by the processor before every block: whether the host's transport is running.
    bool isPlaying = false;

protected:
    // The owning processor; null when the engine runs without a host (tests, benchmarks, tools).
    BaseProcessor* processor;
};
} // namespace QVA
