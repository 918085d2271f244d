#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace QVA
{
// The About overlay: the product's About picture with the version text. Any mouse release on it
// sends it behind its siblings again.
class About : public juce::Component
{
public:
    About();
    ~About() override;

    void mouseUp(const juce::MouseEvent& e) override;
    void paint(juce::Graphics& g) override;
    void resized() override;

    // "VERSION 3.0.0 BUILD 336" for this product.
    static juce::String versionText();

    juce::Label versionLabel;
    juce::ImageComponent aboutImage{"AboutBackground"};

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(About)
};
} // namespace QVA
