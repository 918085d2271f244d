#include "PanelTestSupport.h"

namespace
{
using Binding = Panel;

TEST_F(Binding, ParametersMoveTheirControlsFrames)
{
    EXPECT_EQ(knob("Gain").getFrameIndex(), 31) << "Gain's default 0.25";
    EXPECT_EQ(knob("VULevel").getFrameIndex(), 1) << "the meter shows gain reduction by default";
    EXPECT_EQ(knob("Mix").getFrameIndex(), 127);

    const std::pair<const char*, float> floats[] = {
        {"Peak Rec", 0.5f}, {"Gain", 1.0f}, {"Emphasis", 0.0f}, {"Makeup", 0.333967f}, {"Mix", 0.398224f}};
    for (const auto& [id, value] : floats)
    {
        setRaw(id, value);
        EXPECT_EQ(knob(id).getFrameIndex(), static_cast<int>(127.0 * static_cast<double>(value))) << id;
    }
    for (int choice = 0; choice < 3; ++choice)
    {
        setRaw("Cell Select", static_cast<float>(choice));
        setRaw("VULevel", static_cast<float>(choice));
        EXPECT_EQ(knob("Cell Select").getFrameIndex(), choice);
        EXPECT_EQ(knob("VULevel").getFrameIndex(), choice);
    }

    auto& modeSwitch = *editor->toggles[2];
    EXPECT_EQ(modeSwitch.getFrameIndex(), 1) << "Compress: lever down";
    setRaw("Mode", 1.0f);
    EXPECT_EQ(modeSwitch.getFrameIndex(), 0) << "Limit: lever up";
}

TEST_F(Binding, ControlsMoveTheirParameters)
{
    knob("Peak Rec").setValue(0.6, juce::sendNotificationSync);
    EXPECT_FLOAT_EQ(raw("Peak Rec"), 0.6f);
    knob("Cell Select").setValue(1.6, juce::sendNotificationSync);
    EXPECT_EQ(raw("Cell Select"), 2.0f);
    EXPECT_EQ(knob("Cell Select").getValue(), 2.0) << "a choice knob rests on a choice";
    editor->toggles[3]->setToggleState(true, juce::sendNotificationSync);
    EXPECT_EQ(raw("Ext Sidechain"), 1.0f);
}

TEST_F(Binding, PowerSwapsThePanelPictureAndBothPowerTogglesAgree)
{
    ASSERT_TRUE(editor->backgroundOn.isValid());
    ASSERT_TRUE(editor->backgroundOff.isValid());
    EXPECT_NE(editor->backgroundOn, editor->backgroundOff);
    EXPECT_EQ(editor->background.getImage(), editor->backgroundOn);
    EXPECT_EQ(lamp().getFrameIndex(), 1) << "lit";
    EXPECT_EQ(powerSwitch().getFrameIndex(), 0) << "lever up";

    setRaw("Power", 0.0f);
    pumpMessages();
    EXPECT_EQ(editor->background.getImage(), editor->backgroundOff);
    EXPECT_FALSE(lamp().getToggleState());
    EXPECT_FALSE(powerSwitch().getToggleState());
    EXPECT_EQ(lamp().getFrameIndex(), 0) << "dark";
    EXPECT_EQ(powerSwitch().getFrameIndex(), 1) << "lever down";

    // Either toggle drives the parameter, and the other follows.
    lamp().setToggleState(true, juce::sendNotificationSync);
    pumpMessages();
    EXPECT_EQ(raw("Power"), 1.0f);
    EXPECT_TRUE(powerSwitch().getToggleState());
    EXPECT_EQ(editor->background.getImage(), editor->backgroundOn);

    powerSwitch().setToggleState(false, juce::sendNotificationSync);
    pumpMessages();
    EXPECT_EQ(raw("Power"), 0.0f);
    EXPECT_FALSE(lamp().getToggleState());
    EXPECT_EQ(editor->background.getImage(), editor->backgroundOff);
}

TEST_F(Binding, APanelOpenedWithThePowerOffShowsTheOffPicture)
{
    editor.reset();
    setRaw("Power", 0.0f);
    editor.reset(static_cast<OstrelMkIIEditor*>(processor.createEditor()));
    EXPECT_EQ(editor->background.getImage(), editor->backgroundOff);
    EXPECT_EQ(powerSwitch().getFrameIndex(), 1);
}

TEST_F(Binding, APowerChangeFromAnotherThreadReachesThePanelOnTheMessageThread)
{
    std::thread host([this] { setRaw("Power", 0.0f); });
    host.join();
    pumpMessages(100);
    EXPECT_EQ(editor->background.getImage(), editor->backgroundOff);
    EXPECT_FALSE(lamp().getToggleState());
}

TEST_F(Binding, TheVuMeterShowsTheEnginesNeedleAndRestsWithThePowerOff)
{
    processor.prepareToPlay(48000.0, 256);
    juce::AudioBuffer<float> buffer(2, 256);
    juce::MidiBuffer midi;
    for (int block = 0; block < 20; ++block)
    {
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < 256; ++i)
                buffer.setSample(ch, i, 0.5f * std::sin(0.05f * static_cast<float>(block * 256 + i)));
        processor.processBlock(buffer, midi);
    }
    editor->timerCallback();
    const auto reading = processor.getDsp()->getMeterValue(0);
    EXPECT_EQ(vuMeter().getValue(), std::clamp(reading, 0.0, 1.0));
    EXPECT_GT(vuMeter().getFrameIndex(), 0) << "with the power on the needle is off its rest";

    setRaw("Power", 0.0f);
    buffer.clear();
    processor.processBlock(buffer, midi);
    editor->timerCallback();
    EXPECT_EQ(vuMeter().getValue(), 0.0);
    EXPECT_EQ(vuMeter().getFrameIndex(), 0);
}

// The Gain knob's centre and a point above it, in the editor's coordinates.
struct Drag
{
    juce::Point<float> from;
    juce::Point<float> to;
};

class LinkGesture : public Panel
{
protected:
    void SetUp() override { ASSERT_TRUE(hasDisplay()) << "needs an X display; run the tests under xvfb-run"; }

    void drag(const juce::String& id, int button, float pixelsUp, bool& linkDuringDrag)
    {
        TestWindow window(*editor);
        PeerMouse mouse(window.peer());
        const auto centre = knob(id).getBounds().getCentre().toFloat();
        mouse.move(centre);
        mouse.press(centre, button);
        mouse.drag(centre - juce::Point<float>(0.0f, pixelsUp / 2.0f), button);
        mouse.drag(centre - juce::Point<float>(0.0f, pixelsUp), button);
        linkDuringDrag = processor.gainMakeupLink->enabled;
        mouse.release(centre - juce::Point<float>(0.0f, pixelsUp));
    }
};

TEST_F(LinkGesture, ARightButtonDragOnGainMovesMakeupTheOtherWay)
{
    bool linked = false;
    drag("Gain", PeerMouse::right, 21.5f, linked); // a tenth of the 215-pixel normal travel
    EXPECT_TRUE(linked);
    EXPECT_FALSE(processor.gainMakeupLink->enabled) << "the link ends with the right button";
    EXPECT_NEAR(parameter("Gain").getValue(), 0.35f, 1e-5f);
    EXPECT_NEAR(parameter("Makeup").getValue(), 0.40f, 1e-5f);
}

TEST_F(LinkGesture, ARightButtonDragOnMakeupMovesGainTheOtherWay)
{
    bool linked = false;
    drag("Makeup", PeerMouse::right, -43.0f, linked);
    EXPECT_TRUE(linked);
    EXPECT_NEAR(parameter("Makeup").getValue(), 0.30f, 1e-5f);
    EXPECT_NEAR(parameter("Gain").getValue(), 0.45f, 1e-5f);
    EXPECT_FALSE(processor.gainMakeupLink->enabled);
}

TEST_F(LinkGesture, ALeftButtonDragOnGainMovesGainAlone)
{
    bool linked = true;
    drag("Gain", PeerMouse::left, 21.5f, linked);
    EXPECT_FALSE(linked);
    EXPECT_NEAR(parameter("Gain").getValue(), 0.35f, 1e-5f);
    EXPECT_FLOAT_EQ(parameter("Makeup").getValue(), 0.5f);
}

TEST_F(LinkGesture, ARightButtonDragElsewhereLeavesTheLinkOff)
{
    bool linked = true;
    drag("Peak Rec", PeerMouse::right, 43.0f, linked);
    EXPECT_FALSE(linked);
    EXPECT_NEAR(parameter("Peak Rec").getValue(), 0.2f, 1e-5f);
    EXPECT_FLOAT_EQ(parameter("Gain").getValue(), 0.25f);
    EXPECT_FLOAT_EQ(parameter("Makeup").getValue(), 0.5f);
}

TEST_F(LinkGesture, AClickOnTheLampSwitchesThePower)
{
    TestWindow window(*editor);
    PeerMouse mouse(window.peer());
    const auto onLamp = lamp().getBounds().getCentre().toFloat();
    mouse.move(onLamp);
    mouse.click(onLamp);
    pumpMessages();
    EXPECT_EQ(raw("Power"), 0.0f);
    EXPECT_FALSE(powerSwitch().getToggleState());
    EXPECT_EQ(editor->background.getImage(), editor->backgroundOff);

    mouse.wait(1000);
    const auto onSwitch = powerSwitch().getBounds().getCentre().toFloat();
    mouse.move(onSwitch);
    mouse.click(onSwitch);
    pumpMessages();
    EXPECT_EQ(raw("Power"), 1.0f);
    EXPECT_TRUE(lamp().getToggleState());
    EXPECT_EQ(editor->background.getImage(), editor->backgroundOn);
}
} // namespace
