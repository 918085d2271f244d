#include "Knob.h"

#include "Filmstrip.h"
#include "Resources.h"

#include <cmath>

namespace QVA
{
Knob::Knob(const juce::String& pictureName, int frames, juce::Rectangle<int> area)
    : Knob(loadPluginImage(pictureName), frames, area)
{
}

Knob::Knob(const juce::Image& image, int frames, juce::Rectangle<int> area)
    : juce::Slider(juce::Slider::RotaryHorizontalVerticalDrag, juce::Slider::NoTextBox),
      designBounds(area.getX() - area.getWidth() / 2, area.getY() - area.getHeight() / 2, area.getWidth(),
                   area.getHeight()),
      picture(image), numFrames(frames), frameWidth(image.isValid() ? image.getWidth() : 0),
      frameHeight(filmstripFrameHeight(image, frames))
{
    setBounds(designBounds);
}

void Knob::mouseDown(const juce::MouseEvent& e)
{
    if (e.mods.isRightButtonDown() && onRightMouseDown)
        onRightMouseDown();
    juce::Slider::mouseDown(e);
}

void Knob::mouseUp(const juce::MouseEvent& e)
{
    if (e.mods.isRightButtonDown() && onRightMouseUp)
        onRightMouseUp();
    juce::Slider::mouseUp(e);
}

int Knob::getFrameIndex() const
{
    const auto minimum = getMinimum();
    const auto span = getMaximum() - minimum;
    if (numFrames <= 1 || !(span > 0.0))
        return 0;
    const auto position = (numFrames - 1) / span * (getValue() - minimum);
    if (!std::isfinite(position))
        return 0;
    return juce::jlimit(0, numFrames - 1, static_cast<int>(position));
}

void Knob::paint(juce::Graphics& g)
{
    drawFilmstripFrame(g, picture, getFrameIndex(), frameWidth, frameHeight,
                       {0, 0, designBounds.getWidth(), designBounds.getHeight()});
}

double Knob::snapValue(double attemptedValue, juce::Slider::DragMode)
{
    return attemptedValue;
}
} // namespace QVA
