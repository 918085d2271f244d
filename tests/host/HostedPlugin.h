#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

enum class PluginFormat
{
    vst3,
    lv2
};

inline const char* formatName(PluginFormat format)
{
    return format == PluginFormat::vst3 ? "VST3" : "LV2";
}

// The host's format manager. It lives until main() ends, while JUCE is still initialised, because
// the LV2 format's plug-in world must outlive every instance made from it.
juce::AudioPluginFormatManager& hostFormats();
void releaseHostFormats();

// Creates an instance of the built plug-in in the given format, as a host's scanner and loader do.
std::unique_ptr<juce::AudioPluginInstance> loadBuiltPlugin(PluginFormat format, double sampleRate = 48000.0,
                                                           int blockSize = 512);
