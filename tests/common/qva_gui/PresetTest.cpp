#include "EditorTestSupport.h"

namespace
{
class PresetListing : public ::testing::Test
{
protected:
    juce::String written() const { return listing.loadFileAsString(); }

    TemporaryHome home;
    SmallProcessor processor;
    SmallEditor editor{processor};
    juce::File listing = home.home().getChildFile("Listing.h");
};

TEST_F(PresetListing, ListsKnobsThenSwitchesWithCrLfLineBreaks)
{
    editor.menu.writePresetListing(listing);
    EXPECT_EQ(written(), "Preset for Ostrel Mark II\r\n"
                         "\r\n"
                         "Level: 0.25\r\n"
                         "Colour: 0\r\n"
                         "Switch: 1 On\r\n");
}

TEST_F(PresetListing, ReplacesAnOldFileAndShowsCurrentValues)
{
    listing.replaceWithText("an older and much longer listing\nwith several lines\n");
    processor.parameters.getParameter("Colour")->setValueNotifyingHost(1.0f);
    processor.parameters.getParameter("Switch")->setValueNotifyingHost(0.0f);
    processor.parameters.getParameter("Level")->setValueNotifyingHost(0.5f);
    editor.menu.writePresetListing(listing);
    EXPECT_EQ(written(), "Preset for Ostrel Mark II\r\n\r\nLevel: 0.5\r\nColour: 2\r\nSwitch: 0 Off\r\n");
}

TEST_F(PresetListing, ASwitchWithoutAChoiceParameterHasAnEmptyChoiceText)
{
    auto* onFloat = new QVA::Toggle(makeFilmstrip(2, 4, 4), {0, 0, 8, 8});
    editor.addToggle(onFloat, SmallProcessor::levelIndex);
    auto* unbound = new QVA::Toggle(makeFilmstrip(2, 4, 4), {0, 0, 8, 8});
    editor.addToggle(unbound, 50);
    unbound->setToggleState(true, juce::dontSendNotification);
    editor.menu.writePresetListing(listing);
    EXPECT_TRUE(written().endsWith("Switch: 1 On\r\nLevel: 0 \r\n: 1 \r\n")) << written();
}

TEST_F(PresetListing, NoFileChosenWritesNothing)
{
    editor.menu.writePresetListing(juce::File());
    juce::FileChooser chooser("never shown");
    editor.menu.createPresetChosenHandler()(chooser);
    EXPECT_EQ(home.home().getNumberOfChildFiles(juce::File::findFiles), 0);
}

TEST_F(PresetListing, SaveOpensADialogThatClosesWithItsEditor)
{
    ASSERT_TRUE(hasDisplay()) << "needs an X display; run the tests under xvfb-run";
    auto ownEditor = std::make_unique<SmallEditor>(processor);
    ownEditor->menu.createResultHandler()(QVA::Menu::savePresetListing);
    pumpMessages();
    auto* dialog = juce::Component::getCurrentlyModalComponent();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->getName(), "Save Preset...");

    juce::Component::SafePointer<juce::Component> safeDialog(dialog);
    ownEditor.reset();
    pumpMessages();
    EXPECT_EQ(safeDialog.getComponent(), nullptr);
    EXPECT_EQ(home.home().getNumberOfChildFiles(juce::File::findFiles), 0);
}

TEST(PresetSelector, OffersThePrograms)
{
    SmallProcessor processor;
    QVA::PresetManager selector(processor);
    auto& box = selector.presetBox;
    EXPECT_EQ(box.getNumItems(), 2);
    EXPECT_EQ(box.getItemText(0), "First");
    EXPECT_EQ(box.getItemId(0), 1);
    EXPECT_EQ(box.getItemText(1), "Second");
    EXPECT_EQ(box.getItemId(1), 2);
    EXPECT_EQ(box.getSelectedId(), 0);
    EXPECT_EQ(box.getTextWhenNothingSelected(), "No preset Selected");
    EXPECT_EQ(box.getParentComponent(), &selector);

    selector.setBounds(780, 296, 120, 20);
    EXPECT_EQ(box.getBounds(), juce::Rectangle<int>(0, 0, 120, 20));
}

TEST(PresetSelector, ChoosingAnItemChoosesItsProgramOnce)
{
    SmallProcessor processor;
    QVA::PresetManager selector(processor);
    selector.presetBox.setSelectedId(2, juce::sendNotificationSync);
    selector.presetBox.setSelectedId(2, juce::sendNotificationSync);
    selector.presetBox.setSelectedId(1, juce::sendNotificationSync);
    EXPECT_EQ(processor.programRequests, (std::vector<int>{1, 0}));
}
} // namespace
