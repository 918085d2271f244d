#include "OstrelMkIIParameters.h"

#include "OstrelMkIIDsp.h"
#include "qva_base_processor/ParameterTexts.h"

#include <algorithm>

namespace OstrelMkIIParameters
{
namespace
{
const auto& taper = QVA::OstrelMkIIDsp::VOLTAPER;
}

juce::String makeupValueText(float value)
{
    const auto x = value > 1.0f ? 10.0 : std::max(0.0, static_cast<double>(value)) * 10.0;
    const auto i = static_cast<int>(x);
    const auto j = std::min(i, 9);
    const auto dB = taper[i] + (taper[j + 1] - taper[i]) * (x - i);
    return QVA::ParameterTexts::fixedPointText(QVA::ParameterTexts::roundHalfAwayFromZero(dB * 10.0), 1);
}

float makeupTextToValue(const juce::String& text)
{
    const auto dB = QVA::ParameterTexts::readLeadingNumber(text);
    if (dB <= taper[0])
        return 0.0f;
    if (dB >= taper[10])
        return 1.0f;
    int k = 0;
    while (k < 9 && !(taper[k] <= dB && dB < taper[k + 1]))
        ++k;
    return static_cast<float>(k / 10.0 + (dB - taper[k]) * 0.1 / (taper[k + 1] - taper[k]));
}
} // namespace OstrelMkIIParameters
