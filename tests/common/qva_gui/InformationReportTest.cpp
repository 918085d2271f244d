#include "EditorTestSupport.h"

#include "qva_gui/InformationReport.h"

namespace
{
juce::String systemLine()
{
    return "OS: " + juce::SystemStats::getOperatingSystemName() + " (" + juce::SystemStats::getCpuModel() +
           " " + juce::SystemStats::getCpuVendor() + ")";
}

TEST(InformationReport, DescribesPlugInSystemHostAndTheLastPreparation)
{
    SmallProcessor processor;
    processor.prepareToPlay(44100.0, 512);
    EXPECT_EQ(QVA::createInformationReport(processor), "Plugin: Ostrel Mark II\n"
                                                       "Version: 3.0.0 BUILD 336\n"
                                                       "Format: Undefined\n"
                                                       "\n" +
                                                           systemLine() +
                                                           "\n"
                                                           "\n"
                                                           "Host: Unknown\n"
                                                           "\n"
                                                           "Channel Config: 2-2\n"
                                                           "Blocksize: 512 Samples\n"
                                                           "Samplerate: 44100 Hz");
}

TEST(InformationReport, BeforeAnyPreparationTheFormatIsZero)
{
    SmallProcessor processor;
    EXPECT_TRUE(QVA::createInformationReport(processor).endsWith(
        "\n\nChannel Config: 0-0\nBlocksize: 0 Samples\nSamplerate: 0 Hz"));
}

TEST(InformationReport, SampleRateIsCutToWholeHertz)
{
    const std::pair<double, const char*> cases[] = {{44100.99, "Samplerate: 44100 Hz"},
                                                    {88199.5, "Samplerate: 88199 Hz"},
                                                    {47999.999999, "Samplerate: 47999 Hz"}};
    for (const auto& [rate, line] : cases)
    {
        SmallProcessor processor;
        processor.prepareToPlay(rate, 64);
        EXPECT_TRUE(QVA::createInformationReport(processor).endsWith(line)) << rate;
    }
}

TEST(InformationReport, ChannelConfigCountsEveryEnabledBus)
{
    struct Case
    {
        juce::AudioChannelSet input;
        juce::AudioChannelSet output;
        juce::AudioChannelSet sidechain;
        const char* line;
    };
    const Case cases[] = {
        {juce::AudioChannelSet::mono(), juce::AudioChannelSet::stereo(), juce::AudioChannelSet::disabled(),
         "Channel Config: 1-2\n"},
        {juce::AudioChannelSet::stereo(), juce::AudioChannelSet::stereo(), juce::AudioChannelSet::stereo(),
         "Channel Config: 4-2\n"},
        {juce::AudioChannelSet::mono(), juce::AudioChannelSet::mono(), juce::AudioChannelSet::mono(),
         "Channel Config: 2-1\n"},
    };
    for (const auto& c : cases)
    {
        SmallProcessor processor;
        auto layout = processor.getBusesLayout();
        layout.inputBuses.getReference(0) = c.input;
        layout.outputBuses.getReference(0) = c.output;
        layout.inputBuses.getReference(1) = c.sidechain;
        ASSERT_TRUE(processor.setBusesLayout(layout));
        processor.prepareToPlay(48000.0, 128);
        EXPECT_TRUE(QVA::createInformationReport(processor).contains(c.line)) << c.line;
    }
}

TEST(InformationReport, NamesThePlugInFormatItRunsAs)
{
    const std::pair<juce::AudioProcessor::WrapperType, const char*> cases[] = {
        {juce::AudioProcessor::wrapperType_AudioUnit, "Format: AU\n"},
        {juce::AudioProcessor::wrapperType_VST3, "Format: VST3\n"},
        {juce::AudioProcessor::wrapperType_LV2, "Format: LV2\n"},
        {juce::AudioProcessor::wrapperType_Standalone, "Format: Standalone\n"},
    };
    for (const auto& [type, line] : cases)
    {
        juce::AudioProcessor::setTypeOfNextNewPlugin(type);
        SmallProcessor processor;
        juce::AudioProcessor::setTypeOfNextNewPlugin(juce::AudioProcessor::wrapperType_Undefined);
        EXPECT_TRUE(QVA::createInformationReport(processor).contains(line)) << line;
    }
}
} // namespace
