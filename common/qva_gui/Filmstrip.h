#pragma once

#include <juce_graphics/juce_graphics.h>

namespace QVA
{
// Height of one frame of a vertical filmstrip; 0 for an empty picture or no frames.
int filmstripFrameHeight(const juce::Image& picture, int numFrames);

// Draws frame `frameIndex` (rows frameIndex × frameHeight onwards, full width) scaled into
// `destination`. Draws nothing when the picture is empty or a frame size is 0.
void drawFilmstripFrame(juce::Graphics& g, const juce::Image& picture, int frameIndex, int frameWidth,
                        int frameHeight, juce::Rectangle<int> destination);
} // namespace QVA
