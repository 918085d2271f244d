#include "HostedPlugin.h"

#include <juce_events/juce_events.h>

#include <gtest/gtest.h>

#include <iostream>

namespace
{
std::unique_ptr<juce::AudioPluginFormatManager> formats;
}

juce::AudioPluginFormatManager& hostFormats()
{
    if (formats == nullptr)
    {
        formats = std::make_unique<juce::AudioPluginFormatManager>();
        formats->addDefaultFormats();
    }
    return *formats;
}

void releaseHostFormats()
{
    formats.reset();
}

std::unique_ptr<juce::AudioPluginInstance> loadBuiltPlugin(PluginFormat format, double sampleRate,
                                                           int blockSize)
{
    auto& manager = hostFormats();
    juce::AudioPluginFormat* pluginFormat = nullptr;
    for (int i = 0; i < manager.getNumFormats(); ++i)
        if (manager.getFormat(i)->getName() == formatName(format))
            pluginFormat = manager.getFormat(i);
    if (pluginFormat == nullptr)
        return {};

    juce::String identifier = OSTREL_VST3_BUNDLE;
    if (format == PluginFormat::lv2)
    {
        const auto bundleFolder = juce::File(OSTREL_LV2_BUNDLE).getParentDirectory();
        pluginFormat->searchPathsForPlugins(juce::FileSearchPath(bundleFolder.getFullPathName()), true,
                                            false);
        identifier = OSTREL_LV2_URI;
    }

    juce::OwnedArray<juce::PluginDescription> found;
    pluginFormat->findAllTypesForFile(found, identifier);
    if (found.isEmpty())
    {
        std::cerr << formatName(format) << ": no plug-in found for " << identifier << std::endl;
        return {};
    }

    juce::String error;
    auto instance = manager.createPluginInstance(*found[0], sampleRate, blockSize, error);
    if (instance == nullptr)
        std::cerr << formatName(format) << " instance failed: " << error << std::endl;
    return instance;
}

// Hosting needs JUCE's message manager (plug-ins are created and torn down on its thread), but no
// display: nothing here opens a window.
int main(int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    ::testing::InitGoogleTest(&argc, argv);
    const auto result = RUN_ALL_TESTS();
    releaseHostFormats();
    return result;
}
