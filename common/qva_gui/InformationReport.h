#pragma once

#include <juce_core/juce_core.h>

namespace QVA
{
class BaseProcessor;

// The text of "Plugin/DAW Info...": plug-in, version, format, system, host and the format of the
// last preparation.
juce::String createInformationReport(const BaseProcessor& processor);
} // namespace QVA
