#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

namespace OstrelRender
{
// A few seconds of program material made in code, so that a fresh checkout has something to
// hear: drum hits, a bass line and a sustained tone that swells and fades, in stereo.
juce::AudioBuffer<float> makeDemoMaterial(double sampleRate, double seconds = 8.0);
} // namespace OstrelRender
