#include "DemoMaterial.h"
#include "LevelPlot.h"
#include "ProcessorSetup.h"
#include "Render.h"

#include <juce_events/juce_events.h>

#include <iostream>
#include <unistd.h>

namespace
{
using namespace OstrelRender;

constexpr int exitFileFailed = 1;
constexpr int exitUsage = 2;
constexpr double progressBarMinimumSeconds = 3.0;
constexpr double demoSampleRate = 48000.0;
const char* const demoSecondProgram = "Vintage Warmth";

void printError(const juce::String& message)
{
    std::cerr << "ostrel-render: error: " << message << std::endl;
}

// A one-line progress bar on stderr, drawn only on a terminal.
class ProgressBar
{
public:
    ProgressBar(bool wanted, juce::String label) : enabled(wanted), name(std::move(label)) {}
    ~ProgressBar()
    {
        if (drawn)
            std::cerr << "\r" << juce::String::repeatedString(" ", 72) << "\r" << std::flush;
    }

    void update(double fraction)
    {
        const auto now = juce::Time::getMillisecondCounterHiRes();
        if (!enabled || now - lastDrawn < 100.0)
            return;
        lastDrawn = now;
        drawn = true;
        const auto filled = juce::roundToInt(fraction * 30.0);
        std::cerr << "\r  [" << juce::String::repeatedString("#", filled)
                  << juce::String::repeatedString("-", 30 - filled) << "] "
                  << juce::String(juce::roundToInt(fraction * 100.0)).paddedLeft(' ', 3) << "%  "
                  << name.substring(0, 30) << std::flush;
    }

private:
    bool enabled;
    juce::String name;
    double lastDrawn = 0.0;
    bool drawn = false;
};

bool wantsProgress(const Options& options, const juce::File& input)
{
    if (options.quiet || isatty(STDERR_FILENO) == 0)
        return false;
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    std::unique_ptr<juce::AudioFormatReader> reader(formats.createReaderFor(input));
    return reader != nullptr && reader->lengthInSamples > progressBarMinimumSeconds * reader->sampleRate;
}

void printSummary(const juce::File& input, const juce::File& output, const RenderSummary& s)
{
    auto db = [](double value) { return juce::String(value, 1); };
    std::cout << input.getFileName() << " -> " << output.getFullPathName() << "\n"
              << "  peak in  " << db(s.peakInDb) << " dBFS   rms in  " << db(s.rmsInDb) << " dBFS\n"
              << "  peak out " << db(s.peakOutDb) << " dBFS   rms out " << db(s.rmsOutDb) << " dBFS\n"
              << "  gain reduction: max " << db(s.maxGainReductionDb) << " dB, average "
              << db(s.averageGainReductionDb) << " dB\n"
              << "  " << juce::String(s.seconds, 2) << " s of audio at " << juce::String(s.realtimeFactor, 1)
              << "x realtime\n"
              << std::flush;
}

juce::File plotFileFor(const Options& options, const juce::File& input)
{
    const auto plot = *options.plotFile;
    if (options.inputs.size() <= 1)
        return plot;
    return plot.getSiblingFile(plot.getFileNameWithoutExtension() + "." +
                               input.getFileNameWithoutExtension() + plot.getFileExtension());
}

// Renders one input; returns false when it failed (after saying why).
bool renderOne(const Options& options, const juce::File& input, const juce::File& output,
               std::optional<juce::File> plot)
{
    ProgressBar bar(wantsProgress(options, input), input.getFileName());
    const auto result = renderFile(options, input, output, [&bar](double done) { bar.update(done); });
    if (result.error.isNotEmpty())
    {
        printError(result.error);
        return false;
    }
    printSummary(input, output, result.summary);
    if (plot)
    {
        if (auto error = writeLevelPlot(*plot, result.trace, input.getFileName() + " through Ostrel Mark II");
            error.isNotEmpty())
        {
            printError(error);
            return false;
        }
        std::cout << "  plot: " << plot->getFullPathName() << "\n";
    }
    return true;
}

int renderInputs(const Options& options)
{
    int failures = 0;
    juce::Array<juce::File> written;
    for (const auto& input : options.inputs)
    {
        const auto output = outputFileFor(options, input);
        if (output == input || (input.existsAsFile() && output.getLinkedTarget() == input.getLinkedTarget()))
        {
            printError("'" + input.getFullPathName() + "': the output would overwrite the input");
            ++failures;
            continue;
        }
        if (written.contains(output))
        {
            printError("'" + input.getFullPathName() + "': its output '" + output.getFullPathName() +
                       "' would overwrite another result of this run");
            ++failures;
            continue;
        }
        written.add(output);
        if (!renderOne(options, input, output,
                       options.plotFile ? std::optional(plotFileFor(options, input)) : std::nullopt))
            ++failures;
    }
    return failures == 0 ? 0 : exitFileFailed;
}

int renderDemo(Options options)
{
    const auto folder = options.outputFolder
                            ? *options.outputFolder
                            : juce::File::getCurrentWorkingDirectory().getChildFile("ostrel-demo");
    folder.createDirectory();
    const auto input = folder.getChildFile("ostrel-demo-input.wav");
    if (auto error = writeWavFile(input, makeDemoMaterial(demoSampleRate), demoSampleRate, 24);
        error.isNotEmpty())
    {
        printError(error);
        return exitFileFailed;
    }
    std::cout << "demo material: " << input.getFullPathName() << "\n";

    const juce::StringArray programs{"Default", options.program.value_or(demoSecondProgram)};
    int failures = 0;
    for (const auto& program : programs)
    {
        auto demoOptions = options;
        demoOptions.program = program;
        const auto stem = "ostrel-demo." + program.removeCharacters(" ");
        if (!renderOne(demoOptions, input, folder.getChildFile(stem + ".wav"),
                       folder.getChildFile(stem + ".png")))
            ++failures;
    }
    return failures == 0 ? 0 : exitFileFailed;
}

// Checks the settings once, before any file is touched, so a typo stops the run at once.
juce::String checkSettings(const Options& options)
{
    OstrelMkIIProcessor scratch;
    if (auto error = applySettings(scratch, options); error.isNotEmpty())
        return error;
    if (options.sidechainFile && !options.sidechainFile->existsAsFile())
        return "cannot read the side-chain file '" + options.sidechainFile->getFullPathName() + "'";
    return {};
}

int run(const juce::StringArray& arguments)
{
    const auto parsed = parseArguments(arguments);
    if (parsed.error.isNotEmpty())
    {
        printError(parsed.error + " (see --help)");
        return exitUsage;
    }
    const auto& options = parsed.options;
    if (options.showHelp)
    {
        std::cout << usageText();
        return 0;
    }
    if (options.listOnly)
    {
        OstrelMkIIProcessor processor;
        std::cout << describeProgramsAndParameters(processor);
        return 0;
    }
    if (auto error = checkSettings(options); error.isNotEmpty())
    {
        printError(error);
        return exitUsage;
    }
    if (options.outputFolder && !options.outputFolder->createDirectory())
    {
        printError("cannot create the output folder '" + options.outputFolder->getFullPathName() + "'");
        return exitUsage;
    }
    return options.inputs.isEmpty() ? renderDemo(options) : renderInputs(options);
}
} // namespace

int main(int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    juce::StringArray arguments;
    for (int i = 1; i < argc; ++i)
        arguments.add(juce::String::fromUTF8(argv[i]));
    return run(arguments);
}
