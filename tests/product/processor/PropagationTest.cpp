#include "ProcessorTestSupport.h"

#include <gtest/gtest.h>

namespace
{
using Forwarded = std::vector<std::pair<int, float>>;

TEST(Propagation, ForwardsOnlyMovesOfAtLeastOneTenThousandth)
{
    RecordingProcessor processor;
    processor.prepareToPlay(48000.0, 64);
    setRaw(processor, "Peak Rec", 0.5f);
    runBlock(processor);
    ASSERT_EQ(processor.engine().forwarded, (Forwarded{{1, 0.5f}}));

    processor.engine().forwarded.clear();
    setRaw(processor, "Peak Rec", 0.50005f);
    runBlock(processor);
    EXPECT_TRUE(processor.engine().forwarded.empty());

    setRaw(processor, "Peak Rec", 0.5001f);
    runBlock(processor);
    EXPECT_EQ(processor.engine().forwarded, (Forwarded{{1, 0.5001f}}));
}

TEST(Propagation, FirstPreparationForwardsNothingButAChangedFormatForwardsAllInOrder)
{
    RecordingProcessor processor;
    processor.prepareToPlay(44100.0, 256);
    EXPECT_FALSE(processor.resendAllParameters);
    EXPECT_TRUE(processor.ignoreNextProgramChange);
    runBlock(processor);
    EXPECT_TRUE(processor.engine().forwarded.empty());

    processor.prepareToPlay(44100.0 * (1.0 + 1.0e-16), 256);
    EXPECT_FALSE(processor.resendAllParameters) << "a rate within rounding noise is the same format";

    processor.prepareToPlay(96000.0, 256);
    EXPECT_TRUE(processor.resendAllParameters);
    runBlock(processor);
    const auto& forwarded = processor.engine().forwarded;
    ASSERT_EQ(forwarded.size(), 10u);
    for (int i = 0; i < 10; ++i)
    {
        EXPECT_EQ(forwarded[static_cast<size_t>(i)].first, i);
        EXPECT_FLOAT_EQ(forwarded[static_cast<size_t>(i)].second,
                        processor.parameterValues[static_cast<size_t>(i)]->load());
    }
    ASSERT_EQ(processor.hookCalls, forwarded);
    for (size_t i = 0; i < processor.hookCalls.size(); ++i)
        EXPECT_EQ(processor.engineCallsBeforeHook[i], i + 1)
            << "the engine hears of a change before the hook";
    EXPECT_FALSE(processor.resendAllParameters);
}

TEST(Propagation, EachFormatFieldCountsAsAChange)
{
    RecordingProcessor processor;
    processor.prepareToPlay(48000.0, 256);
    processor.prepareToPlay(48000.0, 512);
    EXPECT_TRUE(processor.resendAllParameters);
    runBlock(processor);

    auto layout = processor.getBusesLayout();
    layout.inputBuses.getReference(1) = juce::AudioChannelSet::mono();
    ASSERT_TRUE(processor.setBusesLayout(layout));
    processor.prepareToPlay(48000.0, 512);
    EXPECT_TRUE(processor.resendAllParameters);
    EXPECT_EQ(processor.getPreparedInputChannels(), 3);
    EXPECT_EQ(processor.engine().numMainInputChannels, 2);
    EXPECT_EQ(processor.engine().numKeyInputChannels, 1);
}

// Records the order of gesture and value calls the host would see for the meter parameter.
struct HostListener : juce::AudioProcessorListener
{
    void audioProcessorParameterChanged(juce::AudioProcessor*, int index, float value) override
    {
        events.add("value " + juce::String(index) + " " + juce::String(value));
    }
    void audioProcessorChanged(juce::AudioProcessor*, const ChangeDetails& details) override
    {
        if (details.latencyChanged)
            events.add("latency");
    }
    void audioProcessorParameterChangeGestureBegin(juce::AudioProcessor*, int index) override
    {
        events.add("begin " + juce::String(index));
    }
    void audioProcessorParameterChangeGestureEnd(juce::AudioProcessor*, int index) override
    {
        events.add("end " + juce::String(index));
    }
    juce::StringArray events;
};

TEST(Propagation, MeterParameterIsWrittenInsideAGestureEveryBlockAndNeverForwarded)
{
    RecordingProcessor processor;
    HostListener host;
    processor.addListener(&host);
    processor.prepareToPlay(48000.0, 64);
    runBlock(processor);
    runBlock(processor);
    processor.removeListener(&host);

    EXPECT_EQ(host.events,
              juce::StringArray({"begin 0", "value 0 0.25", "end 0", "begin 0", "value 0 0.25", "end 0"}));
    for (const auto& [index, value] : processor.engine().forwarded)
        EXPECT_LT(index, 10);
    EXPECT_FLOAT_EQ(parameter(processor, "Gain Reduction").getValue(), 0.25f);
}

struct FixedPlayHead : juce::AudioPlayHead
{
    juce::Optional<PositionInfo> getPosition() const override
    {
        if (!hasPosition)
            return {};
        PositionInfo info;
        info.setIsPlaying(playing);
        return info;
    }
    bool hasPosition = true;
    bool playing = true;
};

TEST(Propagation, EngineIsPlayingOnlyWhenThePlayHeadSaysSo)
{
    RecordingProcessor processor;
    processor.prepareToPlay(48000.0, 64);
    runBlock(processor);
    EXPECT_FALSE(processor.engine().isPlaying) << "no play head";

    FixedPlayHead head;
    processor.setPlayHead(&head);
    runBlock(processor);
    EXPECT_TRUE(processor.engine().isPlaying);
    head.playing = false;
    runBlock(processor);
    EXPECT_FALSE(processor.engine().isPlaying);
    head.playing = true;
    head.hasPosition = false;
    runBlock(processor);
    EXPECT_FALSE(processor.engine().isPlaying);
    processor.setPlayHead(nullptr);
}

TEST(Propagation, DoublePrecisionAndBypassReachTheirEnginePaths)
{
    RecordingProcessor processor;
    processor.prepareToPlay(48000.0, 64);
    juce::AudioBuffer<double> buffer(2, 64);
    juce::MidiBuffer midi;
    processor.processBlock(buffer, midi);
    processor.processBlockBypassed(buffer, midi);
    EXPECT_EQ(processor.engine().doubleBlocks, 1);
    EXPECT_EQ(processor.engine().bypassedBlocks, 1);
    EXPECT_EQ(processor.engine().floatBlocks, 0);
}

TEST(GainMakeupLink, Mode2MovesMakeupAgainstGainOnlyWhileEnabled)
{
    OstrelMkIIProcessor processor;
    auto& gain = parameter(processor, "Gain");
    auto& makeup = parameter(processor, "Makeup");

    gain.setValueNotifyingHost(0.35f);
    EXPECT_FLOAT_EQ(makeup.getValue(), 0.5f) << "disabled link moves nothing";
    gain.setValueNotifyingHost(0.25f);
    processor.gainMakeupLink->enabled = true;
    EXPECT_FLOAT_EQ(makeup.getValue(), 0.5f) << "enabling moves nothing by itself";

    gain.setValueNotifyingHost(0.35f);
    EXPECT_NEAR(makeup.getValue(), 0.4f, 1.0e-6f);

    makeup.setValueNotifyingHost(0.5f);
    EXPECT_NEAR(gain.getValue(), 0.25f, 1.0e-6f) << "the link works both ways";

    processor.gainMakeupLink->enabled = false;
    makeup.setValueNotifyingHost(0.05f);
    gain.setValueNotifyingHost(0.25f);
    processor.gainMakeupLink->enabled = true;
    gain.setValueNotifyingHost(0.35f);
    EXPECT_FLOAT_EQ(makeup.getValue(), 0.0f) << "clamped at the bottom of the range";
}

TEST(GainMakeupLink, HostHearsOnlyNormalisedValuesFromTheLink)
{
    OstrelMkIIProcessor processor;
    HostListener host;
    parameter(processor, "Makeup").setValueNotifyingHost(0.05f);
    processor.gainMakeupLink->enabled = true;
    processor.addListener(&host);
    parameter(processor, "Gain").setValueNotifyingHost(0.5f);
    processor.removeListener(&host);
    EXPECT_TRUE(host.events.contains("value 9 0")) << host.events.joinIntoString(", ");
    EXPECT_TRUE(host.events.contains("begin 9"));
    EXPECT_TRUE(host.events.contains("end 9"));
}
} // namespace
