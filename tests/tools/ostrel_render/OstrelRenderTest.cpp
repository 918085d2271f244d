#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_graphics/juce_graphics.h>

#include <gtest/gtest.h>

#include <cmath>

namespace
{
struct CliRun
{
    int exitCode = -1;
    juce::String output; // stdout and stderr together
};

CliRun runCli(const juce::StringArray& arguments, const juce::File& workingFolder)
{
    juce::StringArray command{"/bin/sh", "-c"};
    juce::StringArray quoted;
    quoted.add(juce::String(OSTREL_RENDER_EXECUTABLE).quoted('\''));
    for (const auto& argument : arguments)
        quoted.add(argument.quoted('\''));
    command.add("cd " + workingFolder.getFullPathName().quoted('\'') + " && " + quoted.joinIntoString(" "));

    juce::ChildProcess process;
    CliRun run;
    if (!process.start(command, juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr))
        return run;
    run.output = process.readAllProcessOutput();
    process.waitForProcessToFinish(60000);
    run.exitCode = static_cast<int>(process.getExitCode());
    return run;
}

juce::AudioBuffer<float> testSignal(int channels, double rate, double seconds)
{
    juce::AudioBuffer<float> buffer(channels, static_cast<int>(rate * seconds));
    juce::Random random(7);
    for (int ch = 0; ch < channels; ++ch)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
        {
            const auto t = i / rate;
            const auto burst = std::fmod(t, 0.5) < 0.25 ? 0.8 : 0.1;
            buffer.setSample(ch, i,
                             static_cast<float>(burst * std::sin(2.0 * juce::MathConstants<double>::pi *
                                                                 (220.0 + 110.0 * ch) * t) +
                                                0.01 * (random.nextDouble() - 0.5)));
        }
    return buffer;
}

void writeWav(const juce::File& file, const juce::AudioBuffer<float>& audio, double rate, int bits)
{
    file.deleteFile();
    file.getParentDirectory().createDirectory();
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer(
        wav.createWriterFor(new juce::FileOutputStream(file), rate,
                            static_cast<unsigned int>(audio.getNumChannels()), bits, {}, 0));
    ASSERT_NE(writer, nullptr);
    ASSERT_TRUE(writer->writeFromAudioSampleBuffer(audio, 0, audio.getNumSamples()));
}

struct WavFile
{
    juce::AudioBuffer<float> audio;
    double sampleRate = 0.0;
    int bits = 0;
};

WavFile readWav(const juce::File& file)
{
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatReader> reader(
        wav.createReaderFor(file.createInputStream().release(), true));
    WavFile result;
    if (reader == nullptr)
        return result;
    result.audio.setSize(static_cast<int>(reader->numChannels), static_cast<int>(reader->lengthInSamples));
    reader->read(&result.audio, 0, result.audio.getNumSamples(), 0, true, true);
    result.sampleRate = reader->sampleRate;
    result.bits = static_cast<int>(reader->bitsPerSample);
    return result;
}

float largestDifference(const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
{
    float largest = 0.0f;
    for (int ch = 0; ch < a.getNumChannels(); ++ch)
        for (int i = 0; i < a.getNumSamples(); ++i)
            largest = std::max(largest, std::abs(a.getSample(ch, i) - b.getSample(ch, i)));
    return largest;
}

class OstrelRender : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = juce::File::createTempFile("ostrel-render-test");
        ASSERT_TRUE(folder.createDirectory());
        input = folder.getChildFile("tone.wav");
        writeWav(input, testSignal(2, 44100.0, 1.5), 44100.0, 32);
    }
    void TearDown() override { folder.deleteRecursively(); }

    juce::File folder;
    juce::File input;
};

TEST_F(OstrelRender, PowerOffOutputIsTheInputLinedUp)
{
    const auto run = runCli({"--set", "Power=Off", "tone.wav"}, folder);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const auto original = readWav(input);
    const auto rendered = readWav(folder.getChildFile("tone.ostrel.wav"));
    ASSERT_EQ(rendered.audio.getNumSamples(), original.audio.getNumSamples());
    ASSERT_EQ(rendered.audio.getNumChannels(), 2);
    EXPECT_LT(largestDifference(rendered.audio, original.audio), 1.0e-6f);
}

TEST_F(OstrelRender, ProgramRenderKeepsLengthRateChannelsAndDepthAndDoubleAgreesWithFloat)
{
    writeWav(folder.getChildFile("mono.wav"), testSignal(1, 48000.0, 1.0), 48000.0, 16);
    auto run = runCli({"--program", "Pump", "--out", "float", "mono.wav"}, folder);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    run = runCli({"--program", "20", "--double", "--bits", "24", "--out", "double", "mono.wav"}, folder);
    ASSERT_EQ(run.exitCode, 0) << run.output;

    const auto single = readWav(folder.getChildFile("float/mono.ostrel.wav"));
    const auto twice = readWav(folder.getChildFile("double/mono.ostrel.wav"));
    EXPECT_EQ(single.audio.getNumSamples(), 48000);
    EXPECT_EQ(single.audio.getNumChannels(), 1);
    EXPECT_EQ(single.sampleRate, 48000.0);
    EXPECT_EQ(single.bits, 16);
    EXPECT_EQ(twice.bits, 24);
    ASSERT_EQ(twice.audio.getNumSamples(), 48000);
    EXPECT_LT(largestDifference(single.audio, twice.audio), 1.0e-4f) << "16-bit quantisation apart";
    EXPECT_TRUE(run.output.contains("gain reduction: max")) << run.output;
    EXPECT_TRUE(run.output.contains("x realtime")) << run.output;
}

struct ErrorCase
{
    const char* name;
    juce::StringArray arguments;
    int exitCode;
    const char* message;
};

TEST_F(OstrelRender, ErrorsSayWhatIsWrongInOneLineWithAnExitCode)
{
    folder.getChildFile("notes.wav").replaceWithText("this is not audio");
    writeWav(folder.getChildFile("key96.wav"), testSignal(1, 96000.0, 0.2), 96000.0, 24);
    folder.getChildFile("state.bin").replaceWithText("VC2! nonsense");

    const std::vector<ErrorCase> cases{
        {"missing input", {"missing.wav"}, 1, "cannot read"},
        {"not audio", {"notes.wav"}, 1, "not a readable WAV, AIFF or FLAC file"},
        {"unknown program",
         {"--program", "Nope", "tone.wav"},
         2,
         "no program 'Nope'; the programs are: Default, Bass Drum"},
        {"set without value", {"--set", "Peak Rec", "tone.wav"}, 2, "--set takes \"Parameter=value\""},
        {"set with words", {"--set", "Peak Rec=loud", "tone.wav"}, 2, "'loud' is not a number for Peak Rec"},
        {"set unknown parameter", {"--set", "Wobble=3", "tone.wav"}, 2, "no parameter 'Wobble'"},
        {"set unknown choice",
         {"--set", "Mode=Squash", "tone.wav"},
         2,
         "'Squash' is not a choice of Mode (Compress, Limit)"},
        {"side chain at another rate",
         {"--sidechain", "key96.wav", "tone.wav"},
         1,
         "the side-chain file runs at 96000 Hz"},
        {"bad state", {"--state", "state.bin", "tone.wav"}, 2, "is not a saved Ostrel Mark II state"},
        {"bad bit depth", {"--bits", "20", "tone.wav"}, 2, "--bits takes 16, 24 or 32"},
        {"unknown option", {"--frobnicate"}, 2, "unknown option '--frobnicate'"},
    };
    for (const auto& c : cases)
    {
        const auto run = runCli(c.arguments, folder);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name << ": " << run.output;
        EXPECT_TRUE(run.output.contains(c.message)) << c.name << ": " << run.output;
        EXPECT_TRUE(run.output.contains("ostrel-render: error: ")) << c.name;
    }
}

TEST_F(OstrelRender, OtherFilesOfABatchStillRenderAndFailuresLeaveNoPartialFile)
{
    // A folder with content stands where one result should go.
    folder.getChildFile("out/blocked.ostrel.wav/keep.txt").create();
    input.copyFileTo(folder.getChildFile("blocked.wav"));
    const auto run = runCli({"--out", "out", "missing.wav", "blocked.wav", "tone.wav"}, folder);
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_TRUE(folder.getChildFile("out/tone.ostrel.wav").existsAsFile()) << run.output;
    EXPECT_TRUE(run.output.contains("cannot write")) << run.output;
    EXPECT_FALSE(folder.getChildFile("out/blocked.ostrel.wav.partial").exists());
}

TEST_F(OstrelRender, TwoInputsWithTheSameStemDoNotOverwriteEachOther)
{
    writeWav(folder.getChildFile("b/tone.wav"), testSignal(2, 44100.0, 0.2), 44100.0, 24);
    const auto run = runCli({"--out", "out", "tone.wav", "b/tone.wav"}, folder);
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_TRUE(run.output.contains("would overwrite another result of this run")) << run.output;
    EXPECT_EQ(readWav(folder.getChildFile("out/tone.ostrel.wav")).audio.getNumSamples(), 66150);
}

TEST_F(OstrelRender, NoProgressBarWhenStderrIsNotATerminal)
{
    writeWav(folder.getChildFile("long.wav"), testSignal(2, 44100.0, 5.0), 44100.0, 16);
    const auto run = runCli({"long.wav"}, folder);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_FALSE(run.output.containsChar('\r'));
    EXPECT_FALSE(run.output.contains("[#"));
}

TEST_F(OstrelRender, DemoRendersTwoProgramsWithPlots)
{
    const auto run = runCli({"--out", "demo"}, folder);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const auto demo = folder.getChildFile("demo");
    const auto source = readWav(demo.getChildFile("ostrel-demo-input.wav"));
    EXPECT_GT(source.audio.getNumSamples(), 48000 * 4);
    for (const auto* stem : {"ostrel-demo.Default", "ostrel-demo.VintageWarmth"})
    {
        EXPECT_EQ(readWav(demo.getChildFile(juce::String(stem) + ".wav")).audio.getNumSamples(),
                  source.audio.getNumSamples())
            << stem;
        const auto plot = juce::ImageFileFormat::loadFrom(demo.getChildFile(juce::String(stem) + ".png"));
        EXPECT_EQ(plot.getWidth(), 1200) << stem;
        EXPECT_EQ(plot.getHeight(), 600) << stem;
    }
}

TEST_F(OstrelRender, PlotOptionWritesAPictureOfTheRender)
{
    const auto run = runCli({"--plot", "levels.png", "tone.wav"}, folder);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const auto plot = juce::ImageFileFormat::loadFrom(folder.getChildFile("levels.png"));
    ASSERT_TRUE(plot.isValid());
    EXPECT_EQ(plot.getWidth(), 1200);
    EXPECT_EQ(plot.getHeight(), 600);
}
} // namespace
