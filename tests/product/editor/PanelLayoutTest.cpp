#include "PanelTestSupport.h"

namespace
{
using Layout = Panel;

struct Placement
{
    const char* id;
    juce::Rectangle<int> bounds;
};

TEST_F(Layout, TheEditorIsTheSizeOfHalfThePanelPictureAndTheBar)
{
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->getBounds(), juce::Rectangle<int>(0, 0, 1280, 324));
    EXPECT_EQ(editor->bottomBarHeight, 29);
    EXPECT_TRUE(editor->isOpaque());
    EXPECT_FALSE(editor->isResizable());

    // A host asking for another size gets the editor's own back.
    for (const auto size : {juce::Point<int>(800, 600), juce::Point<int>(2560, 648), juce::Point<int>(1, 1)})
    {
        editor->setSize(size.x, size.y);
        EXPECT_EQ(editor->getWidth(), 1280);
        EXPECT_EQ(editor->getHeight(), 324);
    }
}

TEST_F(Layout, FramePartsSitInThePanelAndTheBottomBar)
{
    const std::pair<juce::Component*, juce::Rectangle<int>> parts[] = {
        {&editor->background, {0, 0, 1280, 295}},      {&editor->bannerButton, {2, 297, 171, 27}},
        {&editor->presetManager, {780, 296, 120, 20}}, {&editor->settingsButton, {1234, 296, 23, 27}},
        {&editor->about, {0, 0, 1280, 295}},           {&editor->aboutButton, {590, 180, 95, 94}},
    };
    for (const auto& [part, bounds] : parts)
        EXPECT_EQ(part->getBounds(), bounds) << part->getName();
    EXPECT_EQ(editor->about.versionLabel.getPosition(), juce::Point<int>(740, 75));
    EXPECT_EQ(editor->presetManager.getParentComponent(), nullptr) << "the preset selector is never shown";
}

TEST_F(Layout, TogglesKnobsAndMeterInRegistrationOrder)
{
    const Placement toggles[] = {
        {"Power", {1127, 47, 67, 54}},
        {"Power", {103, 114, 60, 52}},
        {"Mode", {65, 203, 60, 52}},
        {"Ext Sidechain", {137, 203, 60, 52}},
    };
    const Placement knobs[] = {
        {"Cell Select", {218, 183, 64, 64}}, {"VULevel", {1136, 180, 64, 64}},
        {"Emphasis", {214, 29, 80, 79}},     {"Mix", {984, 161, 80, 79}},
        {"Makeup", {984, 29, 80, 79}},       {"Gain", {354, 91, 113, 112}},
        {"Peak Rec", {815, 91, 113, 112}},
    };
    ASSERT_EQ(editor->toggles.size(), 4);
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_EQ(editor->toggles[i]->getComponentID(), toggles[i].id) << i;
        EXPECT_EQ(editor->toggles[i]->getBounds(), toggles[i].bounds) << i;
        EXPECT_EQ(editor->toggles[i]->inverted, i == 0) << "only the lamp is inverted";
    }
    ASSERT_EQ(editor->knobs.size(), 7);
    for (int i = 0; i < 7; ++i)
    {
        EXPECT_EQ(editor->knobs[i]->getComponentID(), knobs[i].id) << i;
        EXPECT_EQ(editor->knobs[i]->getBounds(), knobs[i].bounds) << knobs[i].id;
    }
    ASSERT_EQ(editor->meters.size(), 1);
    ASSERT_TRUE(editor->meters.contains(0));
    EXPECT_EQ(vuMeter().getBounds(), juce::Rectangle<int>(559, 101, 161, 75));
    EXPECT_TRUE(editor->isTimerRunning());
}

TEST_F(Layout, TheAboutHotSpotLiesAboveTheControlsAndTheOverlayBehindEverything)
{
    const auto hotSpot = editor->getIndexOfChildComponent(&editor->aboutButton);
    EXPECT_EQ(hotSpot, editor->getNumChildComponents() - 1);
    EXPECT_EQ(editor->getIndexOfChildComponent(&editor->about), 0);
    EXPECT_LT(editor->getIndexOfChildComponent(&editor->background),
              editor->getIndexOfChildComponent(&vuMeter()));
}

TEST_F(Layout, ControlsReportTheHostsParameterNumbers)
{
    using namespace OstrelMkIIParameters;
    const std::pair<const char*, int> knobIndices[] = {
        {"Cell Select", cellSelect}, {"VULevel", vuLevel}, {"Emphasis", emphasis}, {"Mix", mix},
        {"Makeup", makeup},          {"Gain", gain},       {"Peak Rec", peakRec}};
    for (const auto& [id, index] : knobIndices)
        EXPECT_EQ(editor->getControlParameterIndex(knob(id)), index + 1) << id;
    const int toggleIndices[] = {power, power, mode, extSidechain};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(editor->getControlParameterIndex(*editor->toggles[i]), toggleIndices[i] + 1) << i;

    // The host's own list agrees: that number names the control's parameter.
    const auto& hostList = processor.getParameters();
    EXPECT_EQ(hostList[editor->getControlParameterIndex(knob("Gain"))]->getName(64), "Gain");

    for (juce::Component* c :
         {static_cast<juce::Component*>(&editor->background),
          static_cast<juce::Component*>(&editor->bannerButton),
          static_cast<juce::Component*>(&editor->settingsButton),
          static_cast<juce::Component*>(&editor->aboutButton), static_cast<juce::Component*>(&vuMeter()),
          static_cast<juce::Component*>(&editor->about)})
        EXPECT_EQ(editor->getControlParameterIndex(*c), -1);
}
} // namespace
