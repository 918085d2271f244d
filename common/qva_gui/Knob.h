#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace QVA
{
// A rotary control drawn from a vertical filmstrip: the frame follows the slider's position in
// its range. A right-button press runs the two callbacks around an ordinary drag.
class Knob : public juce::Slider
{
public:
    // `area` gives the knob's centre (x, y) and its size.
    Knob(const juce::String& pictureName, int numFrames, juce::Rectangle<int> area);
    Knob(const juce::Image& picture, int numFrames, juce::Rectangle<int> area);

    void mouseDown(const juce::MouseEvent& e) override;
    void mouseUp(const juce::MouseEvent& e) override;
    void paint(juce::Graphics& g) override;
    double snapValue(double attemptedValue, juce::Slider::DragMode dragMode) override;

    // The frame that paint() draws for the current value.
    int getFrameIndex() const;

    std::function<void()> onRightMouseDown;
    std::function<void()> onRightMouseUp;

    juce::Rectangle<int> designBounds;

private:
    juce::Image picture;
    int numFrames = 0;
    int frameWidth = 0;
    int frameHeight = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(Knob)
};
} // namespace QVA
