#pragma once

#include "Render.h"

namespace OstrelRender
{
inline constexpr int plotWidth = 1200;
inline constexpr int plotHeight = 600;

// Draws input level, output level and gain reduction over time (seconds against dB, with a
// legend) and writes the picture as PNG. Returns an empty text or what went wrong.
juce::String writeLevelPlot(const juce::File& file, const RenderTrace& trace, const juce::String& title);
} // namespace OstrelRender
