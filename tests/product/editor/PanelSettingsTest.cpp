#include "PanelTestSupport.h"

namespace
{
using Choice = QVA::Menu::MenuChoice;

// The panel applies the settings file while it opens, so each case writes the file first.
struct OpeningCase
{
    const char* name;
    const char* content;
    juce::Slider::SliderStyle style;
    int dragPixels;
    float scale;
};

class PanelOpening : public ::testing::TestWithParam<OpeningCase>
{
protected:
    TemporaryHome home;
    OstrelMkIIProcessor processor;
};

TEST_P(PanelOpening, AppliesTheSavedSettingsToEveryKnob)
{
    const auto& c = GetParam();
    if (c.content != nullptr)
    {
        ASSERT_TRUE(home.settingsFile().create().wasOk());
        ASSERT_TRUE(home.settingsFile().replaceWithText(c.content));
    }
    std::unique_ptr<juce::AudioProcessorEditor> editor(processor.createEditor());
    auto& panel = dynamic_cast<OstrelMkIIEditor&>(*editor);
    for (auto* knob : panel.knobs)
    {
        EXPECT_EQ(knob->getSliderStyle(), c.style) << knob->getComponentID();
        EXPECT_EQ(knob->getMouseDragSensitivity(), c.dragPixels) << knob->getComponentID();
    }
    EXPECT_EQ(juce::Desktop::getInstance().getGlobalScaleFactor(), c.scale);
    EXPECT_EQ(panel.getWidth(), 1280) << "the logical size never changes";
    if (c.content == nullptr)
        EXPECT_FALSE(home.settingsFile().exists()) << "opening creates no file";
}

INSTANTIATE_TEST_SUITE_P(
    Files, PanelOpening,
    ::testing::Values(
        OpeningCase{"NoFile", nullptr, juce::Slider::RotaryHorizontalVerticalDrag, 215, 1.0f},
        OpeningCase{"Saved", R"({"knob_mode": "circular", "knob_sensitivity": "low", "gui_size": "xl"})",
                    juce::Slider::Rotary, 370, 1.5f},
        OpeningCase{"WrongCase", R"({"knob_mode": "Circular", "gui_size": "XL"})",
                    juce::Slider::RotaryHorizontalVerticalDrag, 215, 1.0f},
        OpeningCase{"OnlyLow", R"({"knob_sensitivity": "low"})", juce::Slider::RotaryHorizontalVerticalDrag,
                    370, 1.0f},
        OpeningCase{"Array", R"(["circular"])", juce::Slider::RotaryHorizontalVerticalDrag, 215, 1.0f}),
    [](const auto& info) { return std::string(info.param.name); });

using Listing = Panel;

TEST_F(Listing, DefaultPanel)
{
    const auto file = home.home().getChildFile("Default.h");
    editor->menu.writePresetListing(file);
    juce::MemoryBlock bytes;
    ASSERT_TRUE(file.loadFileAsData(bytes));
    EXPECT_EQ(bytes.toString(), "Preset for Ostrel Mark II\r\n"
                                "\r\n"
                                "Cell Select: 0\r\n"
                                "VULevel: 1\r\n"
                                "Emphasis: 0.8\r\n"
                                "Mix: 1\r\n"
                                "Makeup: 0.5\r\n"
                                "Gain: 0.25\r\n"
                                "Peak Rec: 0\r\n"
                                "Power: 1 On\r\n"
                                "Power: 1 On\r\n"
                                "Mode: 0 Compress\r\n"
                                "Ext Sidechain: 0 Off\r\n");
}

TEST_F(Listing, AfterSwitchingToLimitAndChoosingAProgram)
{
    processor.ignoreNextProgramChange = false;
    processor.setCurrentProgram(11); // "Bass Cruiser": Cell B, emphasis 1
    setRaw("Mode", 1.0f);
    const auto file = home.home().getChildFile("Limit.h");
    file.replaceWithText(
        "an older listing that is longer than the new one will be, by quite a lot of text\n");
    editor->menu.writePresetListing(file);
    const auto text = file.loadFileAsString();
    EXPECT_TRUE(
        text.startsWith("Preset for Ostrel Mark II\r\n\r\nCell Select: 1\r\nVULevel: 1\r\nEmphasis: 1\r\n"))
        << text;
    EXPECT_TRUE(text.endsWith("\r\nPower: 1 On\r\nPower: 1 On\r\nMode: 1 Limit\r\nExt Sidechain: 0 Off\r\n"))
        << text;
    EXPECT_EQ(juce::StringArray::fromLines(text).size(), 14) << "13 lines and nothing after the last break";
}
} // namespace
