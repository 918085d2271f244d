#include "Meter.h"

#include "Filmstrip.h"
#include "Resources.h"

#include <cmath>
#include <limits>

namespace QVA
{
bool approximatelyEqualReadings(double a, double b) noexcept
{
    if (!std::isfinite(a) || !std::isfinite(b))
        return a == b;
    const auto difference = std::abs(a - b);
    return difference <= std::numeric_limits<double>::min() ||
           difference <= std::numeric_limits<double>::epsilon() * std::max(std::abs(a), std::abs(b));
}

Meter::Meter(juce::Rectangle<int> bounds)
{
    setBounds(bounds);
    Meter::setValue(0.0);
}

void Meter::setValue(double newValue)
{
    if (approximatelyEqualReadings(value, newValue))
        return;
    // A NaN reading fails every comparison and would otherwise be stored; it reads as the rest.
    value = std::isnan(newValue) ? 0.0 : juce::jlimit(0.0, 1.0, newValue);
    repaint();
}

ImageMeter::ImageMeter(juce::Rectangle<int> bounds, const juce::String& pictureName, int frames)
    : ImageMeter(bounds, loadPluginImage(pictureName), frames)
{
}

ImageMeter::ImageMeter(juce::Rectangle<int> bounds, const juce::Image& image, int frames)
    : Meter(bounds), picture(image), numFrames(frames), frameWidth(image.isValid() ? image.getWidth() : 0),
      frameHeight(filmstripFrameHeight(image, frames))
{
}

int ImageMeter::getFrameIndex() const
{
    if (numFrames <= 0)
        return 0;
    auto frame = static_cast<int>(static_cast<double>(static_cast<float>(numFrames - 1)) * value);
    if (inverted)
        frame = numFrames - 1 - frame;
    return frame;
}

void ImageMeter::paint(juce::Graphics& g)
{
    drawFilmstripFrame(g, picture, getFrameIndex(), frameWidth, frameHeight, getLocalBounds());
}
} // namespace QVA
