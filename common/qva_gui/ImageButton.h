#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace QVA
{
// A push button drawn from a filmstrip: frame 0 normally (also under the mouse), frame 1 while
// held down.
class ImageButton : public juce::Button
{
public:
    ImageButton();
    ImageButton(const juce::Image& picture, int numFrames, juce::Rectangle<int> bounds);

    // Gives the button a new picture; the frame size is recomputed and the button repainted.
    void setImage(const juce::Image& picture, int numFrames);

    void paintButton(juce::Graphics& g, bool shouldDrawButtonAsHighlighted,
                     bool shouldDrawButtonAsDown) override;

    static constexpr int normalFrame = 0;
    static constexpr int pressedFrame = 1;

private:
    juce::Image picture;
    int numFrames = 0;
    int frameWidth = 0;
    int frameHeight = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(ImageButton)
};

// An invisible click area.
class TransparentButton : public juce::Button
{
public:
    TransparentButton() : juce::Button("TransparentButton") {}

    void paintButton(juce::Graphics&, bool, bool) override {}

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(TransparentButton)
};
} // namespace QVA
