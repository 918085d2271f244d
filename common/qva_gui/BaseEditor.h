#pragma once

#include "About.h"
#include "ImageButton.h"
#include "Knob.h"
#include "Menu.h"
#include "Meter.h"
#include "PresetManager.h"
#include "Toggle.h"

#include <juce_audio_processors/juce_audio_processors.h>

namespace QVA
{
class BaseProcessor;

// The shared editor: a fixed-size panel picture with a black bottom bar (maker banner, settings
// button), the settings menu, the About overlay, and the registries of controls bound to
// parameters and of meters fed by a timer. A product editor places its controls and registers
// them here; the editor owns them from then on.
class BaseEditor : public juce::AudioProcessorEditor, public juce::Timer
{
public:
    explicit BaseEditor(BaseProcessor& processorToUse);
    ~BaseEditor() override;

    // Makes the control a child, names it after the parameter at `index` and binds it to that
    // parameter. An index without a parameter leaves the control unbound.
    void addKnob(Knob* knob, int index);
    void addToggle(Toggle* toggle, int index);
    // Stores the meter under its index (replacing any meter stored there) and starts the timer.
    void addMeter(Meter* meter, int meterIndex);

    // Makes whatever holds the editor hear of its size again, after the desktop scale changed.
    void announceSize();

    // The host's parameter number of the control's parameter, -1 for a control without one.
    int getControlParameterIndex(juce::Component& component) override;

    void timerCallback() override;
    void mouseUp(const juce::MouseEvent& e) override;
    void paint(juce::Graphics& g) override;
    void resized() override;

    static constexpr int meterPeriodMilliseconds = 41;

    BaseProcessor& baseProcessor;
    const int bottomBarHeight = 29;
    Menu menu;
    int editorWidth = 0;
    int editorHeight = 0;
    juce::ImageComponent background{juce::String()};
    ImageButton settingsButton;
    TransparentButton aboutButton;
    ImageButton bannerButton;
    PresetManager presetManager;
    About about;
    juce::OwnedArray<Knob> knobs;
    juce::OwnedArray<juce::AudioProcessorValueTreeState::SliderAttachment> knobAttachments;
    juce::OwnedArray<Toggle> toggles;
    juce::OwnedArray<juce::AudioProcessorValueTreeState::ButtonAttachment> toggleAttachments;
    juce::HashMap<int, Meter*> meters{101};
    juce::OwnedArray<juce::ParameterAttachment> parameterAttachments;

private:
    juce::String parameterIdAt(int index) const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(BaseEditor)
};
} // namespace QVA
