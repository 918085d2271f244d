#include "ProcessorTestSupport.h"

#include "qva_base_processor/ParameterTexts.h"

#include <gtest/gtest.h>

namespace
{
struct TextCase
{
    const char* id;
    float normalised;
    const char* text;
};

class ValueTexts : public ::testing::TestWithParam<TextCase>
{
};

TEST_P(ValueTexts, ParameterShowsText)
{
    OstrelMkIIProcessor processor;
    const auto& c = GetParam();
    EXPECT_EQ(parameter(processor, c.id).getText(c.normalised, 0), juce::String(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Standard, ValueTexts,
    ::testing::Values(TextCase{"Peak Rec", 0.0f, "0.00"}, TextCase{"Peak Rec", 0.25f, "25.00"},
                      TextCase{"Peak Rec", 0.557951f, "55.80"}, TextCase{"Peak Rec", 1.0f, "100.0"},
                      TextCase{"Peak Rec", 0.098633f, "9.86"}, TextCase{"Gain", 0.579687f, "57.97"},
                      TextCase{"Mix", 0.398224f, "39.82"}, TextCase{"Emphasis", 0.8f, "0.80"},
                      TextCase{"Emphasis", 1.0f, "1.00"}, TextCase{"Emphasis", 0.331623f, "0.33"}));

INSTANTIATE_TEST_SUITE_P(Makeup, ValueTexts,
                         ::testing::Values(TextCase{"Makeup", 0.5f, "0.0"}, TextCase{"Makeup", 0.0f, "-50.0"},
                                           TextCase{"Makeup", 1.0f, "30.0"},
                                           TextCase{"Makeup", 0.333967f, "-8.3"},
                                           TextCase{"Makeup", 0.57184f, "3.6"},
                                           TextCase{"Makeup", 0.05f, "-45.0"}));

INSTANTIATE_TEST_SUITE_P(Choices, ValueTexts,
                         ::testing::Values(TextCase{"Power", 0.0f, "Off"}, TextCase{"Power", 1.0f, "On"},
                                           TextCase{"Mode", 1.0f, "Limit"},
                                           TextCase{"VULevel", 0.5f, "GainRed"},
                                           TextCase{"VULevel", 1.0f, "Output"},
                                           TextCase{"Cell Select", 0.5f, "Cell B"},
                                           TextCase{"Ext Sidechain", 0.0f, "Off"}));

struct ParseCase
{
    const char* id;
    const char* text;
    float normalised;
};

class TextParsers : public ::testing::TestWithParam<ParseCase>
{
};

TEST_P(TextParsers, EnteredTextSetsValue)
{
    OstrelMkIIProcessor processor;
    const auto& c = GetParam();
    EXPECT_NEAR(parameter(processor, c.id).getValueForText(c.text), c.normalised, 1.0e-6f) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    All, TextParsers,
    ::testing::Values(ParseCase{"Peak Rec", "150", 1.0f}, ParseCase{"Peak Rec", "-5", 0.0f},
                      ParseCase{"Peak Rec", "loud", 0.0f}, ParseCase{"Peak Rec", "62.5 percent", 0.625f},
                      ParseCase{"Peak Rec", "  12.5", 0.125f}, ParseCase{"Peak Rec", "nan", 0.0f},
                      ParseCase{"Emphasis", "0.33", 0.33f}, ParseCase{"Makeup", "-8.3", 0.334f},
                      ParseCase{"Makeup", "-60", 0.0f}, ParseCase{"Makeup", "40", 1.0f},
                      ParseCase{"Makeup", "0", 0.5f}, ParseCase{"Makeup", "25 dB", 0.95f},
                      ParseCase{"Makeup", "-45", 0.05f}, ParseCase{"Makeup", "nan", 0.5f}));

TEST(FixedPointText, CutsToFiveCharacters)
{
    using QVA::ParameterTexts::fixedPointText;
    EXPECT_EQ(fixedPointText(100000, 2), "1000.");
    EXPECT_EQ(fixedPointText(5, 2), "0.05");
    EXPECT_EQ(fixedPointText(-5, 2), "-0.05");
    EXPECT_EQ(fixedPointText(-500, 1), "-50.0");
    EXPECT_EQ(QVA::ParameterTexts::standardValueText(0.5f, 100.0f, "%"), "50.00%");
}

TEST(ProductParameters, HostSeesMeterFirstThenTenInputsWithDefaults)
{
    OstrelMkIIProcessor processor;
    const auto& all = processor.getParameters();
    ASSERT_EQ(all.size(), 11);

    const char* expectedNames[] = {"Gain Reduction", "Power",    "Peak Rec",    "Gain",   "Mode", "VULevel",
                                   "Ext Sidechain",  "Emphasis", "Cell Select", "Makeup", "Mix"};
    const char* expectedTexts[] = {nullptr, "On",   "0.00",   "25.00", "Compress", "GainRed",
                                   "Off",   "0.80", "Cell A", "0.0",   "100.0"};
    for (int i = 0; i < 11; ++i)
    {
        EXPECT_EQ(all[i]->getName(100), juce::String(expectedNames[i]));
        EXPECT_TRUE(all[i]->getLabel().isEmpty());
        if (expectedTexts[i] != nullptr)
            EXPECT_EQ(all[i]->getCurrentValueAsText(), juce::String(expectedTexts[i])) << expectedNames[i];
    }

    EXPECT_EQ(all[0]->getCategory(), juce::AudioProcessorParameter::compressorLimiterGainReductionMeter);
    EXPECT_TRUE(processor.parameters.getParameter("Gain")->isMetaParameter());
    EXPECT_TRUE(processor.parameters.getParameter("Makeup")->isMetaParameter());
    EXPECT_FALSE(processor.parameters.getParameter("Peak Rec")->isMetaParameter());

    ASSERT_EQ(processor.numParameters, 10);
    const float registryDefaults[] = {1, 0, 0.25f, 0, 1, 0, 0.8f, 0, 0.5f, 1};
    for (int i = 0; i < 10; ++i)
    {
        EXPECT_EQ(processor.parameterNames[static_cast<size_t>(i)], expectedNames[i + 1]);
        EXPECT_FLOAT_EQ(processor.lastParameterValues[static_cast<size_t>(i)], registryDefaults[i]);
        EXPECT_FLOAT_EQ(processor.parameterValues[static_cast<size_t>(i)]->load(), registryDefaults[i]);
    }
    EXPECT_EQ(processor.numMeterParameters, 1);
}

TEST(ProductParameters, ChoiceWithThreeEntriesStoresIndexAndNormalisesByTwo)
{
    OstrelMkIIProcessor processor;
    EXPECT_FLOAT_EQ(parameter(processor, "VULevel").getValue(), 0.5f);
    setRaw(processor, "Cell Select", 2.0f);
    EXPECT_FLOAT_EQ(processor.parameters.getRawParameterValue("Cell Select")->load(), 2.0f);
    EXPECT_FLOAT_EQ(parameter(processor, "Cell Select").getValue(), 1.0f);
}
} // namespace
