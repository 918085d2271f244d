#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>

// Couples two parameters of a container: while enabled, moving one moves the other by the same
// normalised amount (mode 1), by the opposite amount (mode 2) or to the same value (other modes).
// It runs on whichever thread changed the parameter, inside that change's notification.
class ParameterLink : public juce::AudioProcessorValueTreeState::Listener
{
public:
    ParameterLink(juce::AudioProcessorValueTreeState& container, const juce::String& firstParameterID,
                  const juce::String& secondParameterID, int linkMode);
    ~ParameterLink() override;

    void parameterChanged(const juce::String& parameterID, float newValue) override;

    bool busy = false;
    bool enabled = false;

private:
    juce::AudioProcessorValueTreeState& state;
    juce::String firstID;
    juce::String secondID;
    std::atomic<float> firstValue{0.0f};
    std::atomic<float> secondValue{0.0f};
    int mode = 0;

    JUCE_DECLARE_NON_COPYABLE(ParameterLink)
};
