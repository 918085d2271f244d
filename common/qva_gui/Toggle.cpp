#include "Toggle.h"

#include "Filmstrip.h"
#include "Resources.h"

namespace QVA
{
namespace
{
constexpr int toggleFrames = 2;
}

Toggle::Toggle(const juce::String& pictureName, juce::Rectangle<int> bounds)
    : Toggle(loadPluginImage(pictureName), bounds)
{
}

Toggle::Toggle(const juce::Image& image, juce::Rectangle<int> bounds)
    : picture(image), frameWidth(image.isValid() ? image.getWidth() : 0),
      frameHeight(filmstripFrameHeight(image, toggleFrames))
{
    setBounds(bounds);
}

int Toggle::getFrameIndex() const
{
    const bool on = getToggleState() != inverted;
    return on ? 0 : 1;
}

void Toggle::paint(juce::Graphics& g)
{
    drawFilmstripFrame(g, picture, getFrameIndex(), frameWidth, frameHeight, getLocalBounds());
}

// The second press of a double-click arrives here instead of at mouseDown; treating it as a press
// keeps the button's press/release pairs intact, so a double-click flips the state twice.
void Toggle::mouseDoubleClick(const juce::MouseEvent& e)
{
    juce::Button::mouseDown(e);
}
} // namespace QVA
