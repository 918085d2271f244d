#include "ProcessorTestSupport.h"

#include "support/ExpectedPrograms.h"

#include <gtest/gtest.h>

namespace
{
TEST(Programs, TwentyOneFactoryProgramsInOrderWithClampedNames)
{
    OstrelMkIIProcessor processor;
    const auto names = expectedProgramNames();
    ASSERT_EQ(processor.getNumPrograms(), 21);
    EXPECT_EQ(processor.getCurrentProgram(), 0);
    for (int i = 0; i < 21; ++i)
    {
        EXPECT_EQ(processor.getProgramName(i), names[i]);
        EXPECT_EQ(processor.programs[static_cast<size_t>(i)].index, i);
        EXPECT_EQ(processor.programs[static_cast<size_t>(i)].numValues, 10);
    }
    EXPECT_EQ(processor.getProgramName(21), "Pump");
    EXPECT_EQ(processor.getProgramName(-1), "Default");
}

TEST(Programs, DefaultProgramHoldsExactlyTheParameterDefaults)
{
    OstrelMkIIProcessor processor;
    for (int i = 0; i < 10; ++i)
    {
        auto& p = parameter(processor, processor.parameterNames[static_cast<size_t>(i)]);
        EXPECT_FLOAT_EQ(processor.programs[0].values[static_cast<size_t>(i)], p.getDefaultValue()) << i;
    }
}

TEST(Programs, FirstChangeAfterCreationIsDroppedThenIndicesAreClamped)
{
    OstrelMkIIProcessor processor;
    processor.setCurrentProgram(20);
    EXPECT_EQ(processor.getCurrentProgram(), 0);
    EXPECT_FLOAT_EQ(parameter(processor, "Gain").getValue(), 0.25f);

    processor.setCurrentProgram(25);
    EXPECT_EQ(processor.getCurrentProgram(), 20);
    EXPECT_FLOAT_EQ(parameter(processor, "Gain").getValue(), 1.0f);
    processor.setCurrentProgram(-3);
    EXPECT_EQ(processor.getCurrentProgram(), 0);
    EXPECT_FLOAT_EQ(parameter(processor, "Gain").getValue(), 0.25f);
}

TEST(Programs, FirstPreparationDropsTheNextChangeUnlessABlockRan)
{
    OstrelMkIIProcessor dropped;
    dropped.setCurrentProgram(0);
    dropped.prepareToPlay(48000.0, 64);
    dropped.setCurrentProgram(5);
    EXPECT_EQ(dropped.getCurrentProgram(), 0);

    OstrelMkIIProcessor applied;
    applied.setCurrentProgram(0);
    applied.prepareToPlay(48000.0, 64);
    runBlock(applied);
    applied.setCurrentProgram(5);
    EXPECT_EQ(applied.getCurrentProgram(), 5);
    EXPECT_EQ(parameter(applied, "Mode").getCurrentValueAsText(), "Limit");
}

struct NotificationCounter : juce::AudioProcessorListener
{
    void audioProcessorParameterChanged(juce::AudioProcessor*, int, float) override { ++values; }
    void audioProcessorChanged(juce::AudioProcessor*, const ChangeDetails&) override {}
    void audioProcessorParameterChangeGestureBegin(juce::AudioProcessor*, int) override { ++gestures; }
    int values = 0;
    int gestures = 0;
};

TEST(Programs, Hefty808ShowsItsTextsWithTenNotificationsAndNoGestures)
{
    OstrelMkIIProcessor processor;
    processor.setCurrentProgram(0);
    NotificationCounter host;
    processor.addListener(&host);
    processor.setCurrentProgram(10);
    processor.removeListener(&host);

    EXPECT_EQ(host.values, 10);
    EXPECT_EQ(host.gestures, 0);
    const std::pair<const char*, const char*> expected[] = {
        {"Peak Rec", "9.86"},     {"Gain", "57.97"},        {"Mode", "Limit"}, {"Emphasis", "0.33"},
        {"Makeup", "-8.3"},       {"Mix", "39.82"},         {"Power", "On"},   {"VULevel", "GainRed"},
        {"Ext Sidechain", "Off"}, {"Cell Select", "Cell A"}};
    for (const auto& [id, text] : expected)
        EXPECT_EQ(parameter(processor, id).getCurrentValueAsText(), juce::String(text)) << id;
}

TEST(Programs, CellAndModeChoicesLandOnTheirIndices)
{
    OstrelMkIIProcessor processor;
    processor.setCurrentProgram(0);
    processor.setCurrentProgram(12); // Beat Glue: Limit, Cell B
    EXPECT_FLOAT_EQ(processor.parameters.getRawParameterValue("Cell Select")->load(), 1.0f);
    EXPECT_FLOAT_EQ(processor.parameters.getRawParameterValue("Mode")->load(), 1.0f);
    processor.setCurrentProgram(16); // Sibilant Vox: Cell C
    EXPECT_FLOAT_EQ(processor.parameters.getRawParameterValue("Cell Select")->load(), 2.0f);
}
} // namespace
