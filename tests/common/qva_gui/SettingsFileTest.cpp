#include "EditorTestSupport.h"

#include <optional>

namespace
{
using Choice = QVA::Menu::MenuChoice;

struct LoadCase
{
    const char* name;
    std::optional<std::string> content; // no value: no file at all
    Choice knobMode;
    Choice knobSensitivity;
    Choice uiSize;
};

void PrintTo(const LoadCase& c, std::ostream* os)
{
    *os << c.name;
}

class SettingsFileLoading : public ::testing::TestWithParam<LoadCase>
{
protected:
    TemporaryHome home;
    SmallProcessor processor;
};

TEST_P(SettingsFileLoading, AppliesEachKeyOrItsDefault)
{
    const auto& c = GetParam();
    const auto file = home.settingsFile();
    if (c.content.has_value())
    {
        ASSERT_TRUE(file.getParentDirectory().createDirectory().wasOk());
        ASSERT_TRUE(file.replaceWithData(c.content->data(), c.content->size()));
    }

    SmallEditor editor(processor);
    QVA::loadSettings(editor.menu);

    EXPECT_EQ(editor.menu.knobMode, c.knobMode);
    EXPECT_EQ(editor.menu.knobSensitivity, c.knobSensitivity);
    EXPECT_EQ(editor.menu.uiSize, c.uiSize);

    const auto expectedStyle =
        c.knobMode == Choice::circular ? juce::Slider::Rotary : juce::Slider::RotaryHorizontalVerticalDrag;
    for (auto* knob : editor.knobs)
    {
        EXPECT_EQ(knob->getSliderStyle(), expectedStyle);
        EXPECT_EQ(knob->getMouseDragSensitivity(), QVA::Menu::sensitivityPixels(c.knobSensitivity));
    }
    EXPECT_EQ(juce::Desktop::getInstance().getGlobalScaleFactor(),
              static_cast<float>(QVA::Menu::scaleFactor(c.uiSize)));

    // The menu's copy always holds all three keys in a fixed order, and loading writes nothing.
    EXPECT_EQ(editor.menu.settings->getProperties().size(), 3);
    EXPECT_EQ(editor.menu.settings->getProperties().getName(0).toString(), "knob_mode");
    EXPECT_EQ(editor.menu.settings->getProperties().getName(1).toString(), "knob_sensitivity");
    EXPECT_EQ(editor.menu.settings->getProperties().getName(2).toString(), "gui_size");
    if (c.content.has_value())
        EXPECT_EQ(file.loadFileAsString().toStdString(), *c.content);
    else
        EXPECT_FALSE(file.getParentDirectory().exists());
}

INSTANTIATE_TEST_SUITE_P(
    Contents, SettingsFileLoading,
    ::testing::Values(
        LoadCase{"NoFile", std::nullopt, Choice::linear, Choice::normal, Choice::sizeM},
        LoadCase{"EmptyFile", "", Choice::linear, Choice::normal, Choice::sizeM},
        LoadCase{"EmptyObject", "{}", Choice::linear, Choice::normal, Choice::sizeM},
        LoadCase{"Array", R"(["circular", "low", "xl"])", Choice::linear, Choice::normal, Choice::sizeM},
        LoadCase{"PlainText", "knob_mode=circular", Choice::linear, Choice::normal, Choice::sizeM},
        LoadCase{"Truncated", R"({"knob_mode": "circular", "gui_size": "x)", Choice::linear, Choice::normal,
                 Choice::sizeM},
        LoadCase{"AllThree", R"({"knob_mode": "circular", "knob_sensitivity": "medium", "gui_size": "xs"})",
                 Choice::circular, Choice::medium, Choice::sizeXS},
        LoadCase{"LeadingBlanksAndOtherOrder",
                 " \r\n\t{\"gui_size\": \"l\", \"knob_sensitivity\": \"low\", \"knob_mode\": \"circular\"}",
                 Choice::circular, Choice::low, Choice::sizeL},
        LoadCase{"WrongCase", R"({"knob_mode": "Circular", "knob_sensitivity": "LOW", "gui_size": "XL"})",
                 Choice::linear, Choice::normal, Choice::sizeM},
        LoadCase{"OnlySensitivity", R"({"knob_sensitivity": "low"})", Choice::linear, Choice::low,
                 Choice::sizeM},
        LoadCase{"OnlySize", R"({"gui_size": "xxl"})", Choice::linear, Choice::normal, Choice::sizeXXL},
        LoadCase{"UnknownValuesKeepTheOthers", R"({"knob_mode": "spiral", "gui_size": "s", "extra": 1})",
                 Choice::linear, Choice::normal, Choice::sizeS},
        LoadCase{"NumbersAreNotChoices", R"({"knob_mode": 2, "knob_sensitivity": 5, "gui_size": 10})",
                 Choice::linear, Choice::normal, Choice::sizeM},
        LoadCase{"PaddedValues", R"({"knob_mode": " circular", "gui_size": "xl "})", Choice::linear,
                 Choice::normal, Choice::sizeM}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingsFile, AFolderInPlaceOfTheFileGivesTheDefaults)
{
    TemporaryHome home;
    ASSERT_TRUE(home.settingsFile().createDirectory().wasOk());
    SmallProcessor processor;
    SmallEditor editor(processor);
    editor.menu.setKnobMode(Choice::circular);
    QVA::loadSettings(editor.menu);
    EXPECT_EQ(editor.menu.knobMode, Choice::linear);
    EXPECT_EQ(editor.menu.uiSize, Choice::sizeM);
}

TEST(SettingsFile, AnEmptyPathGivesTheDefaultsAndSavesNothing)
{
    TemporaryHome home;
    SmallProcessor processor;
    SmallEditor editor(processor);
    editor.menu.settingsPath = {};
    QVA::loadSettings(editor.menu);
    EXPECT_EQ(editor.menu.knobSensitivity, Choice::normal);
    editor.menu.createResultHandler()(Choice::low);
    EXPECT_EQ(editor.menu.knobSensitivity, Choice::low);
    EXPECT_FALSE(home.settingsFile().getParentDirectory().exists());
}

TEST(SettingsFile, AnotherEditorReadsWhatTheLastOneSaved)
{
    TemporaryHome home;
    SmallProcessor processor;
    {
        SmallEditor first(processor);
        QVA::loadSettings(first.menu);
        first.menu.createResultHandler()(Choice::circular);
        first.menu.createResultHandler()(Choice::sizeXL);
    }
    juce::Desktop::getInstance().setGlobalScaleFactor(1.0f);
    SmallEditor second(processor);
    QVA::loadSettings(second.menu);
    EXPECT_EQ(second.menu.knobMode, Choice::circular);
    EXPECT_EQ(second.menu.uiSize, Choice::sizeXL);
    EXPECT_EQ(juce::Desktop::getInstance().getGlobalScaleFactor(), 1.5f)
        << "opening re-applies the saved size";
}
} // namespace
