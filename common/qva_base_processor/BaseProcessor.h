#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <atomic>
#include <memory>

#include "qva_dsp/BaseDsp.h"

namespace QVA
{
// A factory program: normalised values (0..1) for parameter indices 0, 1, 2, ...
struct Program
{
    int index = 0;
    juce::String name;
    std::array<float, 64> values{};
    int numValues = 0;
};

// The shared processor base: audio entry points, the parameter container with an index registry,
// factory programs and the state blob. A product declares its parameters and programs by overriding
// createParameters() and createPresets(), and provides an engine behind QVA::BaseDsp.
class BaseProcessor : public juce::AudioProcessor
{
public:
    static constexpr int maxParameters = 64;
    static constexpr int maxMeterParameters = 64;
    static constexpr int maxPrograms = 32;

    explicit BaseProcessor(const BusesProperties& buses);
    ~BaseProcessor() override;

    const juce::String getName() const override;
    void prepareToPlay(double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;
    void processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    void processBlock(juce::AudioBuffer<double>& buffer, juce::MidiBuffer& midi) override;
    void processBlockBypassed(juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    void processBlockBypassed(juce::AudioBuffer<double>& buffer, juce::MidiBuffer& midi) override;
    bool isBusesLayoutSupported(const BusesLayout& layout) const override;

    bool supportsDoublePrecisionProcessing() const override { return true; }
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    bool isMidiEffect() const override { return false; }
    bool hasEditor() const override { return true; }

    int getNumPrograms() override { return numPrograms; }
    int getCurrentProgram() override { return currentProgram; }
    void setCurrentProgram(int index) override;
    const juce::String getProgramName(int index) override;
    void changeProgramName(int, const juce::String&) override {}

    void getStateInformation(juce::MemoryBlock& destData) override;
    void setStateInformation(const void* data, int sizeInBytes) override;

    virtual void createParameters() = 0;
    virtual void parameterChanged(int parameterIndex, float value);
    virtual void createPresets() {}
    virtual void setParameterValue(int parameterIndex, float normalisedValue);

    // Forwards every parameter that moved by at least 0.0001 (or all, after a format change) to
    // the engine, then publishes the engine's host meter values. Runs at the start of every block.
    void updateParameters();

    BaseDsp* getDsp() const noexcept { return dsp.get(); }

    // The format of the last preparation, readable from any thread.
    double getPreparedSampleRate() const noexcept { return preparedSampleRate.load(); }
    int getPreparedBlockSize() const noexcept { return preparedBlockSize.load(); }
    int getPreparedInputChannels() const noexcept { return preparedInputChannels.load(); }
    int getPreparedOutputChannels() const noexcept { return preparedOutputChannels.load(); }

    juce::AudioProcessorValueTreeState parameters;

    std::array<juce::String, maxParameters> parameterNames;
    std::array<std::atomic<float>*, maxParameters> parameterValues{};
    std::array<float, maxParameters> lastParameterValues{};
    int numParameters = 0;
    std::array<juce::String, maxMeterParameters> meterParameterNames;
    int numMeterParameters = 0;

    std::array<Program, maxPrograms> programs;
    int numPrograms = 0;
    int currentProgram = 0;

    bool ignoreNextProgramChange = true;
    bool resendAllParameters = false;

protected:
    void createFloatParameter(int index, const juce::String& name, float defaultValue, float maximum,
                              const juce::String& unit, bool meta);
    void createFloatParameter_(int index, const juce::String& name, float defaultValue,
                               const juce::AudioParameterFloatAttributes& attributes);
    void createChoicesParameter(int index, const juce::String& name, const juce::StringArray& choices,
                                int defaultIndex);
    void createMeterParameter(const juce::String& name);

    // Owned engine; the product creates it in its constructor and destroys it first in its destructor.
    std::unique_ptr<BaseDsp> dsp;

private:
    template <typename Sample> void processWithEngine(juce::AudioBuffer<Sample>& buffer);
    template <typename Sample> void processBypassedWithEngine(juce::AudioBuffer<Sample>& buffer);
    bool bufferHoldsPreparedChannels(int numChannels) const noexcept;
    void updatePlayingFlag();
    void appendMissingParameters(juce::XmlElement& root) const;
    void registerParameter(int index, const juce::String& name, float registryDefault);

    std::atomic<double> preparedSampleRate{0.0};
    std::atomic<int> preparedBlockSize{0};
    std::atomic<int> preparedInputChannels{0};
    std::atomic<int> preparedOutputChannels{0};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(BaseProcessor)
};
} // namespace QVA
