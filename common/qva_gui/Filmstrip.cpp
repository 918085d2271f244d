#include "Filmstrip.h"

namespace QVA
{
int filmstripFrameHeight(const juce::Image& picture, int numFrames)
{
    if (!picture.isValid() || numFrames <= 0)
        return 0;
    return picture.getHeight() / numFrames;
}

void drawFilmstripFrame(juce::Graphics& g, const juce::Image& picture, int frameIndex, int frameWidth,
                        int frameHeight, juce::Rectangle<int> destination)
{
    if (!picture.isValid() || frameWidth <= 0 || frameHeight <= 0 || destination.isEmpty())
        return;
    g.drawImage(picture, destination.getX(), destination.getY(), destination.getWidth(),
                destination.getHeight(), 0, frameIndex * frameHeight, frameWidth, frameHeight);
}
} // namespace QVA
