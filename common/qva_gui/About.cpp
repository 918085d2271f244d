#include "About.h"

#include "Resources.h"

#include <cmath>

namespace QVA
{
namespace
{
constexpr float labelHeight = 14.0f;
// The label's width is measured a little larger than it is drawn, which leaves room at its ends.
constexpr float measuringHeight = 16.0f;
constexpr int labelMargin = 115;

juce::Font versionFont(float height)
{
    int size = 0;
    if (const auto* data = getCommonResource("source_sans_pro_otf", size))
        if (auto typeface = juce::Typeface::createSystemTypefaceFor(data, static_cast<size_t>(size)))
            return juce::Font(typeface).withHeight(height);
    return juce::Font(height);
}
} // namespace

juce::String About::versionText()
{
    const auto& info = getProductInfo();
    return "VERSION " + juce::String(info.version) + " BUILD " + juce::String(info.buildNumber);
}

About::About() : juce::Component("About")
{
    setOpaque(true);
    const auto text = versionText();
    versionLabel.setText(text, juce::dontSendNotification);
    versionLabel.setFont(versionFont(labelHeight));
    const auto width = static_cast<int>(std::ceil(versionFont(measuringHeight).getStringWidthFloat(text)));
    versionLabel.setSize(width, static_cast<int>(labelHeight));

    aboutImage.setImage(loadPluginImage("About_png"));
    aboutImage.addMouseListener(this, false);
    addAndMakeVisible(aboutImage);
    addAndMakeVisible(versionLabel);
}

About::~About()
{
    aboutImage.removeMouseListener(this);
}

void About::mouseUp(const juce::MouseEvent&)
{
    toBack();
}

void About::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colours::black);
}

void About::resized()
{
    aboutImage.setBounds(getLocalBounds());
    versionLabel.setTopLeftPosition(getWidth() - versionLabel.getWidth() - labelMargin, labelMargin);
}
} // namespace QVA
