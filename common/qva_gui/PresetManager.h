#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace QVA
{
class BaseProcessor;

// A drop-down list of the processor's factory programs that applies the chosen one.
class PresetManager : public juce::Component
{
public:
    explicit PresetManager(BaseProcessor& processorToUse);
    ~PresetManager() override;

    void resized() override;

    BaseProcessor& processor;
    juce::ComboBox presetBox;

private:
    void presetChosen();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(PresetManager)
};
} // namespace QVA
