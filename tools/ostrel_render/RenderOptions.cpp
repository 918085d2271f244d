#include "RenderOptions.h"

namespace OstrelRender
{
namespace
{
const juce::StringArray optionsWithValue{"--out", "--block", "--bits",      "--program",
                                         "--set", "--state", "--sidechain", "--plot"};

juce::String applyValueOption(Options& options, const juce::String& option, const juce::String& value)
{
    if (option == "--out")
        options.outputFolder = juce::File::getCurrentWorkingDirectory().getChildFile(value);
    else if (option == "--block")
    {
        if (!value.containsOnly("0123456789") || value.getIntValue() < 1 || value.getIntValue() > 65536)
            return "--block takes a block size from 1 to 65536, not '" + value + "'";
        options.blockSize = value.getIntValue();
    }
    else if (option == "--bits")
    {
        if (value != "16" && value != "24" && value != "32")
            return "--bits takes 16, 24 or 32, not '" + value + "'";
        options.bitDepth = value.getIntValue();
    }
    else if (option == "--program")
        options.program = value;
    else if (option == "--set")
    {
        const auto equals = value.indexOfChar('=');
        if (equals <= 0 || equals == value.length() - 1)
            return "--set takes \"Parameter=value\", not '" + value + "'";
        options.settings.push_back({value.substring(0, equals).trim(), value.substring(equals + 1).trim()});
    }
    else if (option == "--state")
        options.stateFile = juce::File::getCurrentWorkingDirectory().getChildFile(value);
    else if (option == "--sidechain")
        options.sidechainFile = juce::File::getCurrentWorkingDirectory().getChildFile(value);
    else if (option == "--plot")
        options.plotFile = juce::File::getCurrentWorkingDirectory().getChildFile(value);
    return {};
}
} // namespace

ParsedOptions parseArguments(const juce::StringArray& arguments)
{
    ParsedOptions parsed;
    auto& options = parsed.options;
    for (int i = 0; i < arguments.size(); ++i)
    {
        const auto& argument = arguments[i];
        if (argument == "--double")
            options.doublePrecision = true;
        else if (argument == "--quiet" || argument == "-q")
            options.quiet = true;
        else if (argument == "--list")
            options.listOnly = true;
        else if (argument == "--help" || argument == "-h")
            options.showHelp = true;
        else if (optionsWithValue.contains(argument))
        {
            if (i + 1 >= arguments.size())
                return {options, argument + " needs a value"};
            if (auto error = applyValueOption(options, argument, arguments[++i]); error.isNotEmpty())
                return {options, error};
        }
        else if (argument.startsWith("-") && argument.length() > 1)
            return {options, "unknown option '" + argument + "'"};
        else
            options.inputs.add(juce::File::getCurrentWorkingDirectory().getChildFile(argument));
    }
    return parsed;
}

juce::String usageText()
{
    return "usage: ostrel-render [options] [INPUT...]\n"
           "Runs audio files (WAV, AIFF, FLAC) through Ostrel Mark II and writes NAME.ostrel.wav.\n"
           "Without INPUT it renders a built-in demo.\n"
           "\n"
           "  --out DIR            write the results into DIR (default: beside each input)\n"
           "  --block N            processing block size (default 512)\n"
           "  --bits 16|24|32      output bit depth (default: the input's)\n"
           "  --program NAME|N     start from a factory program\n"
           "  --set \"NAME=VALUE\"   set a parameter in its display units, e.g. \"Peak Rec=62.5\" "
           "(repeatable)\n"
           "  --state FILE         load a saved plug-in state first\n"
           "  --sidechain FILE     key the optical cell from FILE (switches \"Ext Sidechain\" on)\n"
           "  --plot FILE.png      draw input, output and gain reduction over time\n"
           "  --double             process in double precision\n"
           "  --quiet              no progress bar\n"
           "  --list               list the programs and parameters and exit\n";
}
} // namespace OstrelRender
