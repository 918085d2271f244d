#include "Render.h"

#include "OstrelMkIIParameters.h"
#include "OstrelMkIIProcessor.h"
#include "ProcessorSetup.h"

#include <cmath>

namespace OstrelRender
{
namespace
{
constexpr double silenceDb = -120.0;

std::unique_ptr<juce::AudioFormatReader> openReader(const juce::File& file, juce::String& error)
{
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    std::unique_ptr<juce::AudioFormatReader> reader;
    if (file.existsAsFile())
        reader.reset(formats.createReaderFor(file));
    if (reader == nullptr)
        error = "cannot read '" + file.getFullPathName() + "': not a readable WAV, AIFF or FLAC file";
    else if (reader->numChannels < 1 || reader->numChannels > 2)
        error = "'" + file.getFullPathName() + "' has " + juce::String(reader->numChannels) +
                " channels; mono and stereo files are supported";
    else if (reader->lengthInSamples <= 0)
        error = "'" + file.getFullPathName() + "' holds no audio";
    if (error.isNotEmpty())
        reader.reset();
    return reader;
}

bool setUpBuses(OstrelMkIIProcessor& processor, int mainChannels, int keyChannels)
{
    auto layout = processor.getBusesLayout();
    const auto mainSet = juce::AudioChannelSet::canonicalChannelSet(mainChannels);
    layout.inputBuses.getReference(0) = mainSet;
    layout.outputBuses.getReference(0) = mainSet;
    layout.inputBuses.getReference(1) = keyChannels > 0
                                            ? juce::AudioChannelSet::canonicalChannelSet(keyChannels)
                                            : juce::AudioChannelSet::disabled();
    return processor.setBusesLayout(layout);
}

// Running peak and power of a signal, for the summary.
struct LevelStats
{
    double peak = 0.0;
    double sumOfSquares = 0.0;
    juce::int64 count = 0;

    void add(float sample)
    {
        peak = std::max(peak, static_cast<double>(std::abs(sample)));
        sumOfSquares += static_cast<double>(sample) * sample;
        ++count;
    }
    double rmsDb() const
    {
        return toDecibels(count > 0 ? std::sqrt(sumOfSquares / static_cast<double>(count)) : 0.0);
    }
};

// The reduction the host's "Gain Reduction" meter shows: 0 at rest, approaching 1 at full
// attenuation, as a fraction of the cell's resting gain.
double gainReductionDb(float meterValue)
{
    const auto remaining = std::clamp(1.0 - static_cast<double>(meterValue), 1.0e-6, 1.0);
    return -20.0 * std::log10(remaining);
}

class FileRenderer
{
public:
    FileRenderer(const Options& opts, juce::AudioFormatReader& in, juce::AudioFormatReader* key)
        : options(opts), input(in), sidechain(key), channels(static_cast<int>(in.numChannels)),
          keyChannels(key != nullptr ? static_cast<int>(key->numChannels) : 0)
    {
    }

    juce::String prepare()
    {
        if (!setUpBuses(processor, channels, keyChannels))
            return "the plug-in does not accept this channel layout";
        processor.setRateAndBufferSizeDetails(input.sampleRate, options.blockSize);
        processor.prepareToPlay(input.sampleRate, options.blockSize);
        latency = processor.getLatencySamples();
        if (auto error = applySettings(processor, options); error.isNotEmpty())
            return error;
        settle();
        return {};
    }

    template <typename Sample>
    juce::String run(juce::AudioFormatWriter& writer, RenderResult& result, const ProgressCallback& progress)
    {
        const auto length = input.lengthInSamples;
        const auto total = length + latency;
        const int bufferChannels =
            std::max(processor.getTotalNumInputChannels(), processor.getTotalNumOutputChannels());
        juce::AudioBuffer<Sample> buffer(bufferChannels, options.blockSize);
        juce::AudioBuffer<float> scratch(std::max(channels, keyChannels), options.blockSize);
        juce::AudioBuffer<float> written(channels, options.blockSize);
        juce::MidiBuffer midi;
        auto* meter = processor.parameters.getParameter(OstrelMkIIParameters::gainReductionMeterName);

        result.trace.secondsPerPoint = options.blockSize / input.sampleRate;
        LevelStats in, out;
        double reductionSum = 0.0;
        const auto started = juce::Time::getMillisecondCounterHiRes();

        for (juce::int64 position = 0; position < total; position += options.blockSize)
        {
            const auto n = static_cast<int>(std::min<juce::int64>(options.blockSize, total - position));
            buffer.setSize(bufferChannels, n, false, false, true);
            buffer.clear();
            fill(buffer, input, position, channels, 0, scratch, n);
            if (sidechain != nullptr)
                fill(buffer, *sidechain, position, keyChannels, channels, scratch, n);

            const auto inputSamples = static_cast<int>(std::clamp<juce::int64>(length - position, 0, n));
            const auto inputPeak = peakOf(buffer, channels, inputSamples, in);
            processor.processBlock(buffer, midi);
            const auto reduction = gainReductionDb(meter->getValue());
            reductionSum += reduction;
            result.summary.maxGainReductionDb = std::max(result.summary.maxGainReductionDb, reduction);

            if (auto error = write(writer, buffer, written, position, n, out); error.isNotEmpty())
                return error;
            result.trace.inputPeakDb.push_back(static_cast<float>(toDecibels(inputPeak)));
            result.trace.outputPeakDb.push_back(static_cast<float>(toDecibels(lastOutputPeak)));
            result.trace.gainReductionDb.push_back(static_cast<float>(reduction));
            if (progress)
                progress(static_cast<double>(position + n) / static_cast<double>(total));
        }

        const auto elapsed = (juce::Time::getMillisecondCounterHiRes() - started) / 1000.0;
        auto& summary = result.summary;
        summary.peakInDb = toDecibels(in.peak);
        summary.rmsInDb = in.rmsDb();
        summary.peakOutDb = toDecibels(out.peak);
        summary.rmsOutDb = out.rmsDb();
        summary.averageGainReductionDb =
            reductionSum / static_cast<double>(result.trace.gainReductionDb.size());
        summary.seconds = static_cast<double>(length) / input.sampleRate;
        summary.realtimeFactor = elapsed > 0.0 ? summary.seconds / elapsed : 0.0;
        return {};
    }

private:
    // A block of silence hands the settings to the engine; preparing again while the transport
    // is stopped then puts the engine at rest with those settings, so the render starts in the
    // chosen state instead of gliding there from the defaults.
    void settle()
    {
        juce::AudioBuffer<float> silence(
            std::max(processor.getTotalNumInputChannels(), processor.getTotalNumOutputChannels()),
            options.blockSize);
        silence.clear();
        juce::MidiBuffer midi;
        processor.processBlock(silence, midi);
        processor.prepareToPlay(input.sampleRate, options.blockSize);
    }

    template <typename Sample>
    static void fill(juce::AudioBuffer<Sample>& buffer, juce::AudioFormatReader& reader, juce::int64 position,
                     int numChannels, int firstChannel, juce::AudioBuffer<float>& scratch, int n)
    {
        scratch.clear();
        if (position < reader.lengthInSamples)
            reader.read(&scratch, 0, n, position, true, numChannels > 1);
        for (int ch = 0; ch < numChannels; ++ch)
            for (int i = 0; i < n; ++i)
                buffer.setSample(firstChannel + ch, i, static_cast<Sample>(scratch.getSample(ch, i)));
    }

    template <typename Sample>
    static double peakOf(const juce::AudioBuffer<Sample>& buffer, int numChannels, int n, LevelStats& stats)
    {
        double peak = 0.0;
        for (int i = 0; i < n; ++i)
            for (int ch = 0; ch < numChannels; ++ch)
            {
                const auto sample = static_cast<float>(buffer.getSample(ch, i));
                peak = std::max(peak, static_cast<double>(std::abs(sample)));
                stats.add(sample);
            }
        return peak;
    }

    // Drops the first `latency` samples of the whole output so that it lines up with the input.
    template <typename Sample>
    juce::String write(juce::AudioFormatWriter& writer, const juce::AudioBuffer<Sample>& buffer,
                       juce::AudioBuffer<float>& written, juce::int64 position, int n, LevelStats& out)
    {
        const auto skip = static_cast<int>(std::clamp<juce::int64>(latency - position, 0, n));
        const auto count = n - skip;
        lastOutputPeak = 0.0;
        if (count <= 0)
            return {};
        written.setSize(channels, count, false, false, true);
        for (int ch = 0; ch < channels; ++ch)
            for (int i = 0; i < count; ++i)
            {
                const auto sample = static_cast<float>(buffer.getSample(ch, skip + i));
                written.setSample(ch, i, sample);
                out.add(sample);
                lastOutputPeak = std::max(lastOutputPeak, static_cast<double>(std::abs(sample)));
            }
        if (!writer.writeFromAudioSampleBuffer(written, 0, count))
            return "writing the output failed (disk full?)";
        return {};
    }

    const Options& options;
    juce::AudioFormatReader& input;
    juce::AudioFormatReader* sidechain;
    const int channels;
    const int keyChannels;
    OstrelMkIIProcessor processor;
    int latency = 0;
    double lastOutputPeak = 0.0;
};

int outputBitDepth(const Options& options, const juce::AudioFormatReader& reader)
{
    if (options.bitDepth)
        return *options.bitDepth;
    const auto bits = static_cast<int>(reader.bitsPerSample);
    return bits == 16 || bits == 24 || bits == 32 ? bits : 24;
}

std::unique_ptr<juce::AudioFormatWriter> createWriter(const juce::File& file, double sampleRate,
                                                      int numChannels, int bits)
{
    file.deleteFile();
    auto stream = std::make_unique<juce::FileOutputStream>(file);
    if (!stream->openedOk())
        return {};
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer(
        wav.createWriterFor(stream.get(), sampleRate, static_cast<unsigned int>(numChannels), bits, {}, 0));
    if (writer != nullptr)
        stream.release(); // the writer owns the stream now
    return writer;
}
} // namespace

juce::String writeWavFile(const juce::File& file, const juce::AudioBuffer<float>& audio, double sampleRate,
                          int bits)
{
    auto writer = createWriter(file, sampleRate, audio.getNumChannels(), bits);
    if (writer == nullptr || !writer->writeFromAudioSampleBuffer(audio, 0, audio.getNumSamples()))
        return "cannot write '" + file.getFullPathName() + "'";
    return {};
}

double toDecibels(double level)
{
    return level > 0.0 ? std::max(silenceDb, 20.0 * std::log10(level)) : silenceDb;
}

juce::File outputFileFor(const Options& options, const juce::File& input)
{
    const auto folder = options.outputFolder ? *options.outputFolder : input.getParentDirectory();
    return folder.getChildFile(input.getFileNameWithoutExtension() + ".ostrel.wav");
}

RenderResult renderFile(const Options& options, const juce::File& input, const juce::File& output,
                        const ProgressCallback& progress)
{
    RenderResult result;
    auto reader = openReader(input, result.error);
    if (reader == nullptr)
        return result;

    std::unique_ptr<juce::AudioFormatReader> key;
    if (options.sidechainFile)
    {
        key = openReader(*options.sidechainFile, result.error);
        if (key == nullptr)
            return result;
        if (key->sampleRate != reader->sampleRate)
        {
            result.error = "the side-chain file runs at " + juce::String(key->sampleRate) + " Hz but '" +
                           input.getFileName() + "' at " + juce::String(reader->sampleRate) + " Hz";
            return result;
        }
    }

    FileRenderer renderer(options, *reader, key.get());
    if (result.error = renderer.prepare(); result.error.isNotEmpty())
        return result;

    // The result is written next to its destination and moved there only when complete.
    const auto partial = output.getSiblingFile(output.getFileName() + ".partial");
    {
        auto writer = createWriter(partial, reader->sampleRate, static_cast<int>(reader->numChannels),
                                   outputBitDepth(options, *reader));
        if (writer == nullptr)
            result.error = "cannot write '" + output.getFullPathName() + "'";
        else if (options.doublePrecision)
            result.error = renderer.run<double>(*writer, result, progress);
        else
            result.error = renderer.run<float>(*writer, result, progress);
    }
    if (result.error.isEmpty() && !partial.moveFileTo(output))
        result.error = "cannot write '" + output.getFullPathName() + "'";
    partial.deleteFile();
    return result;
}
} // namespace OstrelRender
