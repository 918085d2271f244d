#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

namespace OstrelRender
{
struct ParameterSetting
{
    juce::String name;
    juce::String value;
};

struct Options
{
    juce::Array<juce::File> inputs;
    std::optional<juce::File> outputFolder;
    int blockSize = 512;
    std::optional<int> bitDepth;
    std::optional<juce::String> program;
    std::vector<ParameterSetting> settings;
    std::optional<juce::File> stateFile;
    std::optional<juce::File> sidechainFile;
    std::optional<juce::File> plotFile;
    bool doublePrecision = false;
    bool quiet = false;
    bool listOnly = false;
    bool showHelp = false;
};

struct ParsedOptions
{
    Options options;
    juce::String error; // empty when the command line was understood
};

ParsedOptions parseArguments(const juce::StringArray& arguments);

juce::String usageText();
} // namespace OstrelRender
