#include "GuiTestSupport.h"

#include "qva_gui/ImageButton.h"
#include "qva_gui/Knob.h"
#include "qva_gui/Toggle.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
// Frames are drawn at half size, as the panel's artwork is.
constexpr int frameWidth = 40;
constexpr int frameHeight = 36;

juce::Point<int> centreOf(const juce::Component& c)
{
    return {c.getWidth() / 2, c.getHeight() / 2};
}

struct KnobFrameCase
{
    int numFrames;
    double minimum;
    double maximum;
    double interval;
    double value;
    int expectedFrame;
};

class KnobFrames : public ::testing::TestWithParam<KnobFrameCase>
{
};

TEST_P(KnobFrames, DrawsTheFrameForItsPositionInTheRange)
{
    const auto c = GetParam();
    QVA::Knob knob(makeFilmstrip(c.numFrames, frameWidth, frameHeight), c.numFrames, {30, 30, 20, 18});
    knob.setRange(c.minimum, c.maximum, c.interval);
    knob.setValue(c.value, juce::dontSendNotification);

    EXPECT_EQ(knob.getFrameIndex(), c.expectedFrame);
    const auto image = render(knob);
    EXPECT_EQ(frameAt(image, centreOf(knob), c.numFrames), c.expectedFrame);
    EXPECT_EQ(frameAt(image, {1, 1}, c.numFrames), c.expectedFrame) << "the frame fills the knob's bounds";
    EXPECT_EQ(frameAt(image, {knob.getWidth() - 2, knob.getHeight() - 2}, c.numFrames), c.expectedFrame);
}

INSTANTIATE_TEST_SUITE_P(
    Filmstrip, KnobFrames,
    ::testing::Values(KnobFrameCase{128, 0.0, 1.0, 0.0, 0.0, 0}, KnobFrameCase{128, 0.0, 1.0, 0.0, 0.5, 63},
                      KnobFrameCase{128, 0.0, 1.0, 0.0, 0.999, 126},
                      KnobFrameCase{128, 0.0, 1.0, 0.0, 1.0, 127},
                      // A three-choice parameter: the range steps by whole choices.
                      KnobFrameCase{3, 0.0, 2.0, 1.0, 0.0, 0}, KnobFrameCase{3, 0.0, 2.0, 1.0, 1.0, 1},
                      KnobFrameCase{3, 0.0, 2.0, 1.0, 1.4, 1}, KnobFrameCase{3, 0.0, 2.0, 1.0, 1.6, 2},
                      KnobFrameCase{3, 0.0, 2.0, 1.0, 2.0, 2},
                      // An offset range: frames count from the minimum.
                      KnobFrameCase{11, -5.0, 5.0, 0.0, 0.0, 5}));

TEST(Knob, IsPlacedByItsCentreWithHalvesTruncated)
{
    const std::pair<juce::Rectangle<int>, juce::Rectangle<int>> cases[] = {
        {{250, 215, 64, 64}, {218, 183, 64, 64}},
        {{254, 68, 80, 79}, {214, 29, 80, 79}},
        {{410, 147, 113, 112}, {354, 91, 113, 112}},
        {{871, 147, 113, 112}, {815, 91, 113, 112}},
    };
    for (const auto& [area, expected] : cases)
    {
        QVA::Knob knob(makeFilmstrip(3, frameWidth, frameHeight), 3, area);
        EXPECT_EQ(knob.getBounds(), expected) << area.toString();
        EXPECT_EQ(knob.designBounds, expected) << area.toString();
    }
}

TEST(Knob, StartsAsAHorizontalVerticalDragKnobWithoutTextBox)
{
    QVA::Knob knob(makeFilmstrip(3, frameWidth, frameHeight), 3, {50, 50, 20, 20});
    EXPECT_EQ(knob.getSliderStyle(), juce::Slider::RotaryHorizontalVerticalDrag);
    EXPECT_EQ(knob.getTextBoxPosition(), juce::Slider::NoTextBox);
    EXPECT_EQ(knob.snapValue(0.3712, juce::Slider::absoluteDrag), 0.3712) << "the knob adds no snapping";
}

TEST(Knob, WithAnUnknownPictureDrawsNothingButStillTurns)
{
    ASSERT_TRUE(hasDisplay()) << "needs an X display; run the tests under xvfb-run";
    QVA::Knob knob(juce::String("NoSuchPicture_png"), 128, {60, 60, 80, 80});
    knob.setRange(0.0, 1.0);
    knob.setValue(0.7, juce::dontSendNotification);
    EXPECT_EQ(knob.getBounds(), juce::Rectangle<int>(20, 20, 80, 80));
    EXPECT_TRUE(isFullyTransparent(render(knob)));

    knob.setValue(0.0, juce::dontSendNotification);
    TestWindow window(knob);
    PeerMouse mouse(window.peer());
    mouse.press({60.0f, 60.0f}, PeerMouse::left);
    mouse.drag({60.0f, 20.0f}, PeerMouse::left);
    mouse.release({60.0f, 20.0f});
    EXPECT_GT(knob.getValue(), 0.0);
}

// Records the order in which a knob reports a gesture: the right-button callbacks, value changes
// and the end of the drag.
struct KnobGestureLog
{
    explicit KnobGestureLog(QVA::Knob& knob)
    {
        knob.onRightMouseDown = [this] { events.push_back("right down"); };
        knob.onRightMouseUp = [this] { events.push_back("right up"); };
        knob.onValueChange = [this] { events.push_back("value"); };
        knob.onDragEnd = [this] { events.push_back("drag end"); };
    }

    std::vector<std::string> withoutRepeatedValues() const
    {
        std::vector<std::string> result;
        for (const auto& e : events)
            if (result.empty() || result.back() != e)
                result.push_back(e);
        return result;
    }

    std::vector<std::string> events;
};

TEST(Knob, RightButtonDragTurnsTheKnobBetweenItsTwoCallbacks)
{
    ASSERT_TRUE(hasDisplay()) << "needs an X display; run the tests under xvfb-run";
    QVA::Knob knob(makeFilmstrip(128, frameWidth, frameHeight), 128, {60, 60, 80, 80});
    knob.setRange(0.0, 1.0);
    KnobGestureLog log(knob);
    TestWindow window(knob);
    PeerMouse mouse(window.peer());

    mouse.press({60.0f, 60.0f}, PeerMouse::right);
    mouse.drag({60.0f, 50.0f}, PeerMouse::right);
    mouse.drag({60.0f, 17.0f}, PeerMouse::right);
    mouse.release({60.0f, 17.0f});

    EXPECT_NEAR(knob.getValue(), 43.0 / 250.0, 1e-9) << "the slider's default drag distance is 250 pixels";
    EXPECT_EQ(log.withoutRepeatedValues(),
              (std::vector<std::string>{"right down", "value", "right up", "drag end"}));
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "right down"), 1);
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "right up"), 1);
}

TEST(Knob, LeftButtonDragLeavesTheRightButtonCallbacksAlone)
{
    ASSERT_TRUE(hasDisplay()) << "needs an X display; run the tests under xvfb-run";
    QVA::Knob knob(makeFilmstrip(128, frameWidth, frameHeight), 128, {60, 60, 80, 80});
    knob.setRange(0.0, 1.0);
    KnobGestureLog log(knob);
    TestWindow window(knob);
    PeerMouse mouse(window.peer());

    mouse.press({60.0f, 60.0f}, PeerMouse::left);
    mouse.drag({85.0f, 60.0f}, PeerMouse::left);
    mouse.release({85.0f, 60.0f});

    EXPECT_NEAR(knob.getValue(), 25.0 / 250.0, 1e-9) << "a rightward drag turns the knob up too";
    EXPECT_EQ(log.withoutRepeatedValues(), (std::vector<std::string>{"value", "drag end"}));
}

struct ToggleFrameCase
{
    bool inverted;
    bool state;
    int expectedFrame;
};

class ToggleFrames : public ::testing::TestWithParam<ToggleFrameCase>
{
};

TEST_P(ToggleFrames, OnShowsTheTopFrameUnlessInverted)
{
    const auto c = GetParam();
    QVA::Toggle toggle(makeFilmstrip(2, frameWidth, frameHeight), {10, 20, 20, 18});
    toggle.inverted = c.inverted;
    toggle.setToggleState(c.state, juce::dontSendNotification);
    EXPECT_EQ(toggle.getBounds(), juce::Rectangle<int>(10, 20, 20, 18));
    const auto image = render(toggle);
    EXPECT_EQ(frameAt(image, centreOf(toggle), 2), c.expectedFrame);
    EXPECT_EQ(frameAt(image, {0, 0}, 2), c.expectedFrame) << "nothing but the frame is drawn";
    EXPECT_EQ(frameAt(image, {19, 17}, 2), c.expectedFrame);
}

INSTANTIATE_TEST_SUITE_P(Filmstrip, ToggleFrames,
                         ::testing::Values(ToggleFrameCase{false, true, 0}, ToggleFrameCase{false, false, 1},
                                           ToggleFrameCase{true, true, 1}, ToggleFrameCase{true, false, 0}));

TEST(Toggle, AClickFlipsItAndADoubleClickEndsWhereItStarted)
{
    ASSERT_TRUE(hasDisplay()) << "needs an X display; run the tests under xvfb-run";
    QVA::Toggle toggle(makeFilmstrip(2, frameWidth, frameHeight), {10, 10, 40, 36});
    int clicks = 0;
    toggle.onClick = [&clicks] { ++clicks; };
    TestWindow window(toggle);
    PeerMouse mouse(window.peer());
    const juce::Point<float> centre{30.0f, 28.0f};

    mouse.move(centre);
    mouse.click(centre);
    EXPECT_TRUE(toggle.getToggleState());
    EXPECT_EQ(clicks, 1);

    mouse.wait(2000);
    mouse.click(centre);
    mouse.click(centre);
    EXPECT_TRUE(toggle.getToggleState()) << "a double-click flips the state twice";
    EXPECT_EQ(clicks, 3);

    mouse.wait(2000);
    mouse.move({12.0f, 12.0f});
    mouse.click({12.0f, 12.0f});
    EXPECT_FALSE(toggle.getToggleState()) << "after a double-click the toggle still answers single clicks";
}

TEST(Toggle, WithAnUnknownPictureDrawsNothing)
{
    QVA::Toggle toggle(juce::String("NoSuchPicture_png"), {0, 0, 30, 26});
    toggle.setToggleState(true, juce::dontSendNotification);
    EXPECT_EQ(toggle.getBounds(), juce::Rectangle<int>(0, 0, 30, 26));
    EXPECT_TRUE(isFullyTransparent(render(toggle)));
}

TEST(ImageButton, ShowsThePressedFrameOnlyWhileHeldDown)
{
    ASSERT_TRUE(hasDisplay()) << "needs an X display; run the tests under xvfb-run";
    QVA::ImageButton button(makeFilmstrip(2, frameWidth, frameHeight), 2, {5, 5, 20, 18});
    EXPECT_EQ(button.getName(), "ImageButton");
    int clicks = 0;
    button.onClick = [&clicks] { ++clicks; };
    TestWindow window(button);
    PeerMouse mouse(window.peer());
    const juce::Point<float> centre{15.0f, 14.0f};
    const juce::Point<int> inside{10, 9};

    EXPECT_EQ(frameAt(render(button), inside, 2), 0);
    mouse.move(centre);
    ASSERT_TRUE(button.isOver());
    EXPECT_EQ(frameAt(render(button), inside, 2), 0) << "hovering keeps the normal frame";
    mouse.press(centre, PeerMouse::left);
    ASSERT_TRUE(button.isDown());
    EXPECT_EQ(frameAt(render(button), inside, 2), 1);
    mouse.release(centre);
    EXPECT_EQ(frameAt(render(button), inside, 2), 0);
    EXPECT_EQ(clicks, 1);
}

TEST(ImageButton, ANewPictureBringsItsOwnFrameSize)
{
    QVA::ImageButton button;
    button.setBounds(0, 0, 20, 18);
    EXPECT_TRUE(isFullyTransparent(render(button))) << "a button without a picture draws nothing";

    // Three frames of a different size: frame 1 is now the second third of the picture.
    juce::Image strip(juce::Image::ARGB, 10, 3 * 12, true);
    {
        juce::Graphics g(strip);
        for (int frame = 0; frame < 3; ++frame)
        {
            g.setColour(frameColour(frame + 5));
            g.fillRect(0, frame * 12, 10, 12);
        }
    }
    button.setImage(strip, 3);
    juce::Image image(juce::Image::ARGB, 20, 18, true);
    juce::Graphics g(image);
    button.paintButton(g, false, true);
    EXPECT_EQ(frameAt(image, {10, 9}, 16), 6);
    EXPECT_EQ(frameAt(image, {19, 17}, 16), 6);
}

TEST(TransparentButton, ClicksButNeverDraws)
{
    ASSERT_TRUE(hasDisplay()) << "needs an X display; run the tests under xvfb-run";
    QVA::TransparentButton button;
    EXPECT_EQ(button.getName(), "TransparentButton");
    button.setBounds(0, 0, 30, 30);
    int clicks = 0;
    button.onClick = [&clicks] { ++clicks; };
    TestWindow window(button);
    PeerMouse mouse(window.peer());
    mouse.move({15.0f, 15.0f});
    mouse.press({15.0f, 15.0f}, PeerMouse::left);
    EXPECT_TRUE(isFullyTransparent(render(button)));
    mouse.release({15.0f, 15.0f});
    EXPECT_EQ(clicks, 1);
}
} // namespace
