#pragma once

#include "RenderOptions.h"

#include "OstrelMkIIProcessor.h"

namespace OstrelRender
{
// Each returns an empty text on success, or one line saying what is wrong.
juce::String applyProgram(OstrelMkIIProcessor& processor, const juce::String& nameOrIndex);
juce::String applySetting(OstrelMkIIProcessor& processor, const ParameterSetting& setting);
juce::String loadState(OstrelMkIIProcessor& processor, const juce::File& stateFile);

// Applies, in this order, a saved state, a program and the single settings of the options.
juce::String applySettings(OstrelMkIIProcessor& processor, const Options& options);

// The programs and the parameters with their ranges and defaults, as --list prints them.
juce::String describeProgramsAndParameters(OstrelMkIIProcessor& processor);
} // namespace OstrelRender
