#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace QVA
{
// A two-position switch or lamp drawn from a two-frame filmstrip: the top frame shows the "on"
// look. With `inverted` set the bottom frame is the "on" look (a lamp that is lit at the bottom).
class Toggle : public juce::ToggleButton
{
public:
    Toggle(const juce::String& pictureName, juce::Rectangle<int> bounds);
    Toggle(const juce::Image& picture, juce::Rectangle<int> bounds);

    void paint(juce::Graphics& g) override;
    void mouseDoubleClick(const juce::MouseEvent& e) override;

    // 0 for the top frame, 1 for the bottom one.
    int getFrameIndex() const;

    bool inverted = false;

private:
    juce::Image picture;
    int frameWidth = 0;
    int frameHeight = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(Toggle)
};
} // namespace QVA
