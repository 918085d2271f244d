#include "InformationReport.h"

#include "Resources.h"
#include "qva_base_processor/BaseProcessor.h"

#include <cmath>

namespace QVA
{
namespace
{
juce::String formatName(juce::AudioProcessor::WrapperType type)
{
    switch (type)
    {
    case juce::AudioProcessor::wrapperType_Undefined:
    case juce::AudioProcessor::wrapperType_VST:
    case juce::AudioProcessor::wrapperType_VST3:
    case juce::AudioProcessor::wrapperType_AudioUnit:
    case juce::AudioProcessor::wrapperType_AudioUnitv3:
    case juce::AudioProcessor::wrapperType_AAX:
    case juce::AudioProcessor::wrapperType_Standalone:
    case juce::AudioProcessor::wrapperType_Unity:
    case juce::AudioProcessor::wrapperType_LV2:
        return juce::AudioProcessor::getWrapperTypeDescription(type);
    }
    return {};
}

// The rate is shown as a whole number of hertz, cut toward zero.
juce::String wholeHertz(double sampleRate)
{
    if (!std::isfinite(sampleRate))
        return "0";
    return juce::String(static_cast<juce::int64>(std::trunc(sampleRate)));
}
} // namespace

juce::String createInformationReport(const BaseProcessor& processor)
{
    const auto& info = getProductInfo();
    juce::String report;
    report << "Plugin: " << info.displayName << "\nVersion: " << info.version << " BUILD " << info.buildNumber
           << "\nFormat: " << formatName(processor.wrapperType)
           << "\n\nOS: " << juce::SystemStats::getOperatingSystemName() << " ("
           << juce::SystemStats::getCpuModel() << " " << juce::SystemStats::getCpuVendor() << ")"
           << "\n\nHost: " << juce::PluginHostType().getHostDescription()
           << "\n\nChannel Config: " << processor.getPreparedInputChannels() << "-"
           << processor.getPreparedOutputChannels() << "\nBlocksize: " << processor.getPreparedBlockSize()
           << " Samples"
           << "\nSamplerate: " << wholeHertz(processor.getPreparedSampleRate()) << " Hz";
    return report;
}
} // namespace QVA
