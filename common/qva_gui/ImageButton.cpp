#include "ImageButton.h"

#include "Filmstrip.h"

namespace QVA
{
ImageButton::ImageButton() : juce::Button("ImageButton") {}

ImageButton::ImageButton(const juce::Image& image, int frames, juce::Rectangle<int> bounds) : ImageButton()
{
    setImage(image, frames);
    setBounds(bounds);
}

void ImageButton::setImage(const juce::Image& image, int frames)
{
    picture = image;
    numFrames = frames;
    frameWidth = image.isValid() ? image.getWidth() : 0;
    frameHeight = filmstripFrameHeight(image, frames);
    repaint();
}

void ImageButton::paintButton(juce::Graphics& g, bool, bool shouldDrawButtonAsDown)
{
    const auto frame = shouldDrawButtonAsDown && numFrames > pressedFrame ? pressedFrame : normalFrame;
    drawFilmstripFrame(g, picture, frame, frameWidth, frameHeight, getLocalBounds());
}
} // namespace QVA
