#pragma once

#include <juce_core/juce_core.h>

namespace QVA::ParameterTexts
{
// Formats y = value * maximum with two decimals, cut to five characters (so 100 shows "100.0" and
// 1000 shows "1000."), followed by the unit.
juce::String standardValueText(float value, float maximum, const juce::String& unit);

// Reads the leading number of the text (a trailing unit is ignored, no number reads as 0) and maps
// it back to 0..1 by dividing by the maximum; the parameter's range limits the result.
float standardTextToValue(const juce::String& text, float maximum);

// The leading number of the text as a float; text without a number, or "nan", reads as 0.
float readLeadingNumber(const juce::String& text);

// The decimal digits of |scaled|, left-padded with zeros to more than `decimals` digits, a point
// before the last `decimals` digits, a sign for negatives, and at most five characters.
juce::String fixedPointText(long long scaled, int decimals);

// The integer nearest to x, halves away from zero.
long long roundHalfAwayFromZero(double x);
} // namespace QVA::ParameterTexts
