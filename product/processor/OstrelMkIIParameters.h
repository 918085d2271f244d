#pragma once

#include <juce_core/juce_core.h>

// Parameter indices of the product; the engine, the programs and the panel all use them.
namespace OstrelMkIIParameters
{
enum Index
{
    power = 0,
    peakRec,
    gain,
    mode,
    vuLevel,
    extSidechain,
    emphasis,
    cellSelect,
    makeup,
    mix,
    count
};

inline constexpr const char* gainReductionMeterName = "Gain Reduction";

// The Makeup taper text: dB from the taper table with one decimal, e.g. "-8.3" or "30.0".
juce::String makeupValueText(float value);

// Reads a dB figure and maps it back onto the taper (0 at -50 dB or below, 1 at +30 dB or above).
float makeupTextToValue(const juce::String& text);
} // namespace OstrelMkIIParameters
