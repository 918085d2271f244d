#include "PanelTestSupport.h"

namespace
{
// Mouse routes through the real window: the About hot spot, the overlay, the menu's right-click.
class PanelMouse : public Panel
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(hasDisplay()) << "needs an X display; run the tests under xvfb-run";
        window = std::make_unique<TestWindow>(*editor);
        mouse = std::make_unique<PeerMouse>(window->peer());
    }

    void TearDown() override
    {
        juce::PopupMenu::dismissAllActiveMenus();
        pumpMessages();
        mouse.reset();
        window.reset();
    }

    void clickAt(juce::Point<float> where, int button = PeerMouse::left)
    {
        mouse->wait(1000);
        mouse->move(where);
        mouse->click(where, button);
        pumpMessages();
    }

    bool aboutIsInFront()
    {
        return editor->getIndexOfChildComponent(&editor->about) == editor->getNumChildComponents() - 1;
    }

    std::unique_ptr<TestWindow> window;
    std::unique_ptr<PeerMouse> mouse;
};

TEST_F(PanelMouse, TheLogoOpensAboutWhichCoversTheControlsButNotTheBar)
{
    ASSERT_FALSE(aboutIsInFront());
    clickAt({637.0f, 227.0f});
    ASSERT_TRUE(aboutIsInFront());
    EXPECT_EQ(editor->about.versionLabel.getPosition(), juce::Point<int>(740, 75));

    clickAt(editor->about.versionLabel.getBounds().getCentre().toFloat());
    EXPECT_TRUE(aboutIsInFront()) << "the version text does not close it";

    // The Gain knob lies under the overlay: a drag there reaches the overlay, not the knob.
    mouse->wait(1000);
    mouse->move({410.0f, 147.0f});
    mouse->press({410.0f, 147.0f}, PeerMouse::left);
    mouse->drag({410.0f, 100.0f}, PeerMouse::left);
    mouse->release({410.0f, 100.0f});
    pumpMessages();
    EXPECT_FLOAT_EQ(parameter("Gain").getValue(), 0.25f);
    EXPECT_FALSE(aboutIsInFront()) << "a release on the overlay closes it";

    clickAt({637.0f, 227.0f});
    ASSERT_TRUE(aboutIsInFront());
    clickAt({1245.0f, 309.0f});
    EXPECT_TRUE(juce::PopupMenu::dismissAllActiveMenus()) << "the settings button works while About is up";
    pumpMessages();
}

TEST_F(PanelMouse, ARightClickOnTheBarePanelOrBarOpensTheMenu)
{
    const struct
    {
        juce::Point<float> where;
        int button;
        bool opensMenu;
        const char* what;
    } cases[] = {
        {{640.0f, 40.0f}, PeerMouse::right, true, "bare panel"},
        {{600.0f, 310.0f}, PeerMouse::right, true, "empty part of the bar"},
        {{640.0f, 40.0f}, PeerMouse::left, false, "left click on the panel"},
        {{871.0f, 147.0f}, PeerMouse::right, false, "right click on a knob"},
    };
    for (const auto& c : cases)
    {
        clickAt(c.where, c.button);
        EXPECT_EQ(juce::PopupMenu::dismissAllActiveMenus(), c.opensMenu) << c.what;
        // A dismissed menu goes away on the message thread; the next click must not meet it.
        pumpMessages(250);
    }
}

TEST_F(PanelMouse, ASizeChoiceRescalesEveryOpenPanel)
{
    OstrelMkIIProcessor otherProcessor;
    std::unique_ptr<juce::AudioProcessorEditor> other(otherProcessor.createEditor());
    TestWindow otherWindow(*other);
    const auto unscaled = window->peer().getBounds();
    ASSERT_EQ(unscaled.getWidth(), 1290);
    EXPECT_EQ(otherWindow.peer().getBounds().getWidth(), 1290);

    editor->menu.createResultHandler()(QVA::Menu::sizeXL);
    pumpMessages();
    for (auto* w : {window.get(), &otherWindow})
    {
        EXPECT_EQ(w->peer().getBounds().getWidth(), 1935) << "the window grows with its content";
        EXPECT_EQ(w->peer().getBounds().getHeight(), 501);
        EXPECT_EQ(w->component().getWidth(), 1290) << "the logical size stays";
    }
    EXPECT_EQ(editor->getBounds(), juce::Rectangle<int>(0, 0, 1280, 324));
    EXPECT_EQ(dynamic_cast<OstrelMkIIEditor&>(*other).menu.uiSize, QVA::Menu::sizeM)
        << "the other panel's menu keeps its own choice";

    // A panel opened now reads the saved size again.
    juce::Desktop::getInstance().setGlobalScaleFactor(1.0f);
    std::unique_ptr<juce::AudioProcessorEditor> third(otherProcessor.createEditor());
    EXPECT_EQ(juce::Desktop::getInstance().getGlobalScaleFactor(), 1.5f);
}
} // namespace
