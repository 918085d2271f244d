#include "ParameterTexts.h"

#include <cmath>

namespace QVA::ParameterTexts
{
long long roundHalfAwayFromZero(double x)
{
    return static_cast<long long>(std::llround(x));
}

juce::String fixedPointText(long long scaled, int decimals)
{
    auto digits = juce::String(scaled < 0 ? -scaled : scaled);
    digits = digits.paddedLeft('0', decimals + 1);
    auto text = digits.dropLastCharacters(decimals) + "." + digits.getLastCharacters(decimals);
    if (scaled < 0)
        text = "-" + text;
    return text.substring(0, 5);
}

juce::String standardValueText(float value, float maximum, const juce::String& unit)
{
    const auto displayed =
        static_cast<float>(static_cast<double>(value) * (static_cast<double>(maximum) - 0.0) + 0.0);
    return fixedPointText(roundHalfAwayFromZero(static_cast<double>(displayed) * 100.0), 2) + unit;
}

float readLeadingNumber(const juce::String& text)
{
    const auto number = static_cast<float>(text.getDoubleValue());
    return std::isnan(number) ? 0.0f : number;
}

float standardTextToValue(const juce::String& text, float maximum)
{
    const auto entered = readLeadingNumber(text);
    return (entered - 0.0f) / (maximum - 0.0f);
}
} // namespace QVA::ParameterTexts
