#pragma once

#include "OstrelMkIIProcessor.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <utility>
#include <vector>

// An engine that records what the processor forwards to it and passes audio through untouched.
class RecordingDsp : public QVA::BaseDsp
{
public:
    explicit RecordingDsp(QVA::BaseProcessor* owner) : BaseDsp(owner) { latencySamples = 32; }

    void prepareToPlay(double rate, int block, int inputs, int outputs) override
    {
        sampleRate = rate;
        blockSize = block;
        numInputChannels = inputs;
        numOutputChannels = outputs;
        ++preparations;
    }
    void parameterChanged(int index, float value) override { forwarded.emplace_back(index, value); }
    void processFloat(int, const float* const*, float* const*) override { ++floatBlocks; }
    void processDouble(int, const double* const*, double* const*) override { ++doubleBlocks; }
    void processBypassedFloat(int, const float* const*, float* const*) override { ++bypassedBlocks; }
    void processBypassedDouble(int, const double* const*, double* const*) override { ++bypassedBlocks; }
    double getMeterValue(int) override { return 0.0; }
    double getHostMeterValue(int index) override { return index == 0 ? hostMeter : 0.0; }

    std::vector<std::pair<int, float>> forwarded;
    double hostMeter = 0.25;
    int preparations = 0;
    int floatBlocks = 0;
    int doubleBlocks = 0;
    int bypassedBlocks = 0;
};

// The product processor with its engine swapped for a recording one; also records the processor's
// own parameterChanged hook so the order engine-then-hook can be checked.
class RecordingProcessor : public OstrelMkIIProcessor
{
public:
    RecordingProcessor() { dsp = std::make_unique<RecordingDsp>(this); }

    RecordingDsp& engine() { return static_cast<RecordingDsp&>(*dsp); }

    void parameterChanged(int index, float value) override
    {
        hookCalls.emplace_back(index, value);
        engineCallsBeforeHook.push_back(engine().forwarded.size());
    }

    std::vector<std::pair<int, float>> hookCalls;
    std::vector<size_t> engineCallsBeforeHook;
};

template <typename Processor> void runBlock(Processor& processor, int numSamples = 64)
{
    juce::AudioBuffer<float> buffer(
        std::max(processor.getTotalNumInputChannels(), processor.getTotalNumOutputChannels()), numSamples);
    buffer.clear();
    juce::MidiBuffer midi;
    processor.processBlock(buffer, midi);
}

inline juce::RangedAudioParameter& parameter(QVA::BaseProcessor& processor, const juce::String& id)
{
    auto* p = processor.parameters.getParameter(id);
    if (p == nullptr)
        throw std::runtime_error(("no parameter " + id).toStdString());
    return *p;
}

// Sets a parameter from its stored (raw) value, as the host or a control would.
inline void setRaw(QVA::BaseProcessor& processor, const juce::String& id, float raw)
{
    auto& p = parameter(processor, id);
    p.setValueNotifyingHost(p.convertTo0to1(raw));
}
