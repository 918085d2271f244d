#include "EditorTestSupport.h"

namespace
{
class EditorFrame : public ::testing::Test
{
protected:
    TemporaryHome home;
    SmallProcessor processor;
    std::unique_ptr<SmallEditor> editor = std::make_unique<SmallEditor>(processor);

    QVA::Knob& levelKnob() { return *editor->knobs[0]; }
    QVA::Knob& colourKnob() { return *editor->knobs[1]; }
    QVA::Toggle& switchToggle() { return *editor->toggles[0]; }
    juce::RangedAudioParameter& parameter(const juce::String& id)
    {
        return *processor.parameters.getParameter(id);
    }
};

TEST_F(EditorFrame, RegisteredControlsAreNamedAfterTheirParametersAndBoundToThem)
{
    EXPECT_EQ(levelKnob().getComponentID(), "Level");
    EXPECT_EQ(colourKnob().getComponentID(), "Colour");
    EXPECT_EQ(switchToggle().getComponentID(), "Switch");
    for (auto* child :
         {static_cast<juce::Component*>(&levelKnob()), static_cast<juce::Component*>(&switchToggle())})
    {
        EXPECT_EQ(child->getParentComponent(), editor.get());
        EXPECT_TRUE(child->isVisible());
    }

    EXPECT_DOUBLE_EQ(levelKnob().getValue(), 0.25) << "the knob starts at its parameter's value";
    EXPECT_EQ(colourKnob().getMaximum(), 2.0) << "a choice knob ranges over the choice indices";
    EXPECT_EQ(colourKnob().getInterval(), 1.0);
    EXPECT_TRUE(switchToggle().getToggleState());

    parameter("Level").setValueNotifyingHost(0.75f);
    parameter("Colour").setValueNotifyingHost(1.0f);
    parameter("Switch").setValueNotifyingHost(0.0f);
    EXPECT_DOUBLE_EQ(levelKnob().getValue(), 0.75);
    EXPECT_EQ(levelKnob().getFrameIndex(), 95);
    EXPECT_EQ(colourKnob().getFrameIndex(), 2);
    EXPECT_FALSE(switchToggle().getToggleState());

    levelKnob().setValue(0.5, juce::sendNotificationSync);
    colourKnob().setValue(1.4, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ(parameter("Level").getValue(), 0.5f);
    EXPECT_FLOAT_EQ(parameter("Colour").convertFrom0to1(parameter("Colour").getValue()), 1.0f)
        << "a choice knob cannot rest between choices";
    EXPECT_EQ(colourKnob().getFrameIndex(), 1);
}

TEST_F(EditorFrame, ControlParameterIndexIsTheHostsParameterNumber)
{
    // The host's list starts with the meter parameter, so parameter index i is host number i + 1.
    EXPECT_EQ(editor->getControlParameterIndex(levelKnob()), SmallProcessor::levelIndex + 1);
    EXPECT_EQ(editor->getControlParameterIndex(colourKnob()), SmallProcessor::colourIndex + 1);
    EXPECT_EQ(editor->getControlParameterIndex(switchToggle()), SmallProcessor::switchIndex + 1);

    auto* unbound = new QVA::Knob(makeFilmstrip(3, 4, 4), 3, {10, 10, 8, 8});
    editor->addKnob(unbound, 40);
    EXPECT_TRUE(unbound->getComponentID().isEmpty());
    EXPECT_EQ(editor->getControlParameterIndex(*unbound), -1);

    juce::Component named;
    named.setComponentID("No Such Parameter");
    for (juce::Component* c : {static_cast<juce::Component*>(&editor->background),
                               static_cast<juce::Component*>(&editor->bannerButton),
                               static_cast<juce::Component*>(&editor->settingsButton),
                               static_cast<juce::Component*>(&editor->aboutButton), &named})
        EXPECT_EQ(editor->getControlParameterIndex(*c), -1) << c->getName();
}

TEST_F(EditorFrame, TwoTogglesOnOneParameterFollowEachOther)
{
    auto* second = new QVA::Toggle(makeFilmstrip(2, 4, 4), {0, 0, 8, 8});
    second->inverted = true;
    editor->addToggle(second, SmallProcessor::switchIndex);
    second->setToggleState(false, juce::sendNotificationSync);
    EXPECT_EQ(parameter("Switch").getValue(), 0.0f);
    EXPECT_FALSE(switchToggle().getToggleState());
    EXPECT_EQ(switchToggle().getFrameIndex(), 1);
    EXPECT_EQ(second->getFrameIndex(), 0) << "the inverted twin shows its other frame";
}

TEST_F(EditorFrame, TheTimerFeedsEachMeterFromTheEngine)
{
    EXPECT_FALSE(editor->isTimerRunning());
    juce::Component::SafePointer<QVA::Meter> first =
        new QVA::ImageMeter({0, 0, 10, 10}, makeFilmstrip(128, 4, 4), 128);
    auto* other = new QVA::ImageMeter({0, 0, 10, 10}, makeFilmstrip(128, 4, 4), 128);
    editor->addMeter(first, 0);
    editor->addMeter(other, 3);
    EXPECT_TRUE(editor->isTimerRunning());
    EXPECT_EQ(editor->getTimerInterval(), 41);
    EXPECT_EQ(first->getParentComponent(), editor.get());

    processor.engine().meterReadings = {{0, 0.052}, {3, 1.7}};
    editor->timerCallback();
    EXPECT_EQ(first->getValue(), 0.052);
    EXPECT_EQ(other->getValue(), 1.0);

    // A meter registered under a taken index replaces (and retires) the one stored there.
    auto* replacement = new QVA::ImageMeter({0, 0, 10, 10}, makeFilmstrip(128, 4, 4), 128);
    editor->addMeter(replacement, 0);
    EXPECT_EQ(first.getComponent(), nullptr);
    processor.engine().meterReadings[0] = 0.965;
    editor->timerCallback();
    EXPECT_EQ(replacement->getValue(), 0.965);

    juce::Component::SafePointer<QVA::Meter> survivor = replacement;
    editor.reset();
    EXPECT_EQ(survivor.getComponent(), nullptr) << "the editor deletes its meters";
}

TEST_F(EditorFrame, TheTimerRunsOnTheMessageLoop)
{
    auto* meter = new QVA::ImageMeter({0, 0, 10, 10}, makeFilmstrip(128, 4, 4), 128);
    editor->addMeter(meter, 0);
    processor.engine().meterReadings[0] = 0.4;
    pumpMessages(200);
    EXPECT_EQ(meter->getValue(), 0.4);
}

TEST_F(EditorFrame, ThePresetSelectorIsBuiltButNeverShown)
{
    EXPECT_EQ(editor->presetManager.getParentComponent(), nullptr);
    EXPECT_EQ(editor->presetManager.presetBox.getNumItems(), 2);
    EXPECT_FALSE(editor->isParentOf(&editor->presetManager));
}

TEST_F(EditorFrame, TheAboutOverlayStartsBehindEverythingAndComesForwardFromItsButton)
{
    EXPECT_EQ(editor->getIndexOfChildComponent(&editor->about), 0);
    EXPECT_EQ(editor->about.getName(), "About");
    EXPECT_TRUE(editor->about.isOpaque());
    EXPECT_EQ(editor->aboutButton.getBounds(), juce::Rectangle<int>(115, 105, 75, 75));
    EXPECT_EQ(editor->aboutButton.getName(), "TransparentButton");

    editor->aboutButton.triggerClick();
    pumpMessages();
    EXPECT_EQ(editor->getIndexOfChildComponent(&editor->about), editor->getNumChildComponents() - 1);

    // Any button's release on the overlay (or on its picture) sends it back.
    editor->about.mouseUp(syntheticEvent(editor->about.aboutImage, {10.0f, 10.0f}, PeerMouse::right));
    EXPECT_EQ(editor->getIndexOfChildComponent(&editor->about), 0);
}

TEST_F(EditorFrame, TheBannerOpensTheMakersSite)
{
    juce::StringArray launched;
    editor->menu.launchUrl = [&launched](const juce::URL& url) { launched.add(url.toString(false)); };
    editor->bannerButton.triggerClick();
    pumpMessages();
    EXPECT_EQ(launched, juce::StringArray("https://quorvane.example"));
}

TEST_F(EditorFrame, AboutShowsTheVersionText)
{
    EXPECT_EQ(editor->about.versionLabel.getText(), "VERSION 3.0.0 BUILD 336");
    EXPECT_EQ(editor->about.versionLabel.getHeight(), 14);
    EXPECT_EQ(editor->about.versionLabel.getFont().getHeight(), 14.0f);
    EXPECT_EQ(editor->about.versionLabel.getFont().getTypefacePtr()->getName(), "Source Sans Pro");
    EXPECT_GT(editor->about.versionLabel.getWidth(), 100);
    EXPECT_EQ(editor->about.aboutImage.getName(), "AboutBackground");

    editor->about.setBounds(0, 0, 1280, 295);
    EXPECT_EQ(editor->about.aboutImage.getBounds(), juce::Rectangle<int>(0, 0, 1280, 295));
    EXPECT_EQ(editor->about.versionLabel.getPosition(),
              juce::Point<int>(1280 - editor->about.versionLabel.getWidth() - 115, 115));
}
} // namespace
