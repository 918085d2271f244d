#include "PanelTestSupport.h"

#include "qva_gui/Resources.h"

namespace
{
// Average difference per channel (0 to 255) between two images of the same size.
double meanDifference(const juce::Image& a, const juce::Image& b)
{
    double sum = 0.0;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
        {
            const auto p = a.getPixelAt(x, y);
            const auto q = b.getPixelAt(x, y);
            sum += std::abs(p.getRed() - q.getRed()) + std::abs(p.getGreen() - q.getGreen()) +
                   std::abs(p.getBlue() - q.getBlue());
        }
    return sum / (3.0 * a.getWidth() * a.getHeight());
}

// Pixels of two same-size images that differ clearly (by more than 40 in some channel).
int differingPixels(const juce::Image& a, const juce::Image& b)
{
    int count = 0;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
        {
            const auto p = a.getPixelAt(x, y);
            const auto q = b.getPixelAt(x, y);
            if (std::max({std::abs(p.getRed() - q.getRed()), std::abs(p.getGreen() - q.getGreen()),
                          std::abs(p.getBlue() - q.getBlue())}) > 40)
                ++count;
        }
    return count;
}

// What an area of the panel should look like: the panel picture at half size, with one frame of a
// filmstrip drawn over it (when given).
juce::Image expectedArea(const juce::Image& panel, juce::Rectangle<int> area, const juce::Image& strip = {},
                         int numFrames = 1, int frame = 0)
{
    juce::Image image(juce::Image::RGB, area.getWidth(), area.getHeight(), true);
    juce::Graphics g(image);
    g.fillAll(juce::Colours::black);
    if (panel.isValid())
        g.drawImage(panel, -area.getX(), -area.getY(), panel.getWidth() / 2, panel.getHeight() / 2, 0, 0,
                    panel.getWidth(), panel.getHeight());
    if (strip.isValid())
    {
        const auto frameHeight = strip.getHeight() / numFrames;
        g.drawImage(strip, 0, 0, area.getWidth(), area.getHeight(), 0, frame * frameHeight, strip.getWidth(),
                    frameHeight);
    }
    return image;
}

struct Filmstrip
{
    const char* picture;
    int numFrames;
};

class Rendering : public Panel
{
protected:
    juce::Image snapshot()
    {
        return editor->createComponentSnapshot(editor->getLocalBounds(), true, 1.0f)
            .convertedToFormat(juce::Image::RGB);
    }

    void save(const juce::Image& image, const juce::String& name)
    {
        const auto folder = juce::SystemStats::getEnvironmentVariable("OSTREL_EDITOR_SCREENSHOTS", {});
        if (folder.isEmpty())
            return;
        const auto file = juce::File(folder).getChildFile(name + ".png");
        file.deleteFile();
        juce::FileOutputStream out(file);
        juce::PNGImageFormat().writeImageToStream(image, out);
    }

    // The control's area shows the frame it claims and clearly not another one.
    void expectFrameShown(const juce::Image& shot, juce::Component& control, const Filmstrip& strip,
                          int frame, const juce::Image& panel)
    {
        const auto picture = QVA::loadPluginImage(strip.picture);
        ASSERT_TRUE(picture.isValid()) << strip.picture;
        const auto area = control.getBounds();
        const auto shown = shot.getClippedImage(area);
        const auto expected = expectedArea(panel, area, picture, strip.numFrames, frame);
        const auto otherFrame =
            (frame + strip.numFrames / 2 + (strip.numFrames == 3 ? 1 : 0)) % strip.numFrames;
        const auto other = expectedArea(panel, area, picture, strip.numFrames, otherFrame);
        EXPECT_LT(meanDifference(shown, expected), 1.0) << strip.picture << " frame " << frame;
        EXPECT_LE(differingPixels(shown, expected), 5) << strip.picture << " frame " << frame;
        EXPECT_GE(differingPixels(shown, other), 50)
            << strip.picture << " frame " << frame << " against " << otherFrame
            << " (a test that cannot tell frames apart)";
    }

    // Where the two panel pictures differ clearly, away from the controls, the shot shows `shown`.
    void expectPanelPicture(const juce::Image& shot, const juce::Image& shown, const juce::Image& notShown)
    {
        const juce::Rectangle<int> panelArea{0, 0, 1280, 295};
        const auto wanted = expectedArea(shown, panelArea);
        const auto unwanted = expectedArea(notShown, panelArea);
        juce::RectangleList<int> controls;
        for (auto* child : editor->getChildren())
            if (child != &editor->background && child != &editor->about && child != &editor->aboutButton &&
                child->isVisible())
                controls.add(child->getBounds());

        int telling = 0;
        int matching = 0;
        for (int y = 0; y < panelArea.getHeight(); ++y)
            for (int x = 0; x < panelArea.getWidth(); ++x)
            {
                if (controls.containsPoint({x, y}))
                    continue;
                const auto a = wanted.getPixelAt(x, y);
                const auto b = unwanted.getPixelAt(x, y);
                const auto distance = [](juce::Colour p, juce::Colour q)
                {
                    return std::abs(p.getRed() - q.getRed()) + std::abs(p.getGreen() - q.getGreen()) +
                           std::abs(p.getBlue() - q.getBlue());
                };
                if (distance(a, b) <= 6)
                    continue;
                ++telling;
                const auto seen = shot.getPixelAt(x, y);
                if (distance(seen, a) < distance(seen, b))
                    ++matching;
            }
        ASSERT_GT(telling, 200) << "the two panel pictures hardly differ outside the controls";
        EXPECT_GT(matching, telling * 95 / 100) << matching << " of " << telling;
    }

    void expectPanelShows(const juce::Image& shot)
    {
        const std::pair<Filmstrip, juce::Component*> controls[] = {
            {{"PowerLED_png", 2}, editor->toggles[0]},
            {{"SwitchPower_png", 2}, editor->toggles[1]},
            {{"SwitchCompressLimit_png", 2}, editor->toggles[2]},
            {{"SwitchExtSC_png", 2}, editor->toggles[3]},
            {{"KnobCellsel_png", 3}, editor->knobs[0]},
            {{"KnobVULevel_png", 3}, editor->knobs[1]},
            {{"KnobEmphasis_png", 128}, editor->knobs[2]},
            {{"KnobWetDry_png", 128}, editor->knobs[3]},
            {{"KnobMakeUp_png", 128}, editor->knobs[4]},
            {{"KnobGain_png", 128}, editor->knobs[5]},
            {{"KnobPeakReduction_png", 128}, editor->knobs[6]},
            {{"VUMeter_png", 128}, &vuMeter()},
        };
        const auto& panel = editor->background.getImage();
        for (const auto& [strip, control] : controls)
        {
            int frame = 0;
            if (auto* k = dynamic_cast<QVA::Knob*>(control))
                frame = k->getFrameIndex();
            else if (auto* t = dynamic_cast<QVA::Toggle*>(control))
                frame = t->getFrameIndex();
            else
                frame = vuMeter().getFrameIndex();
            expectFrameShown(shot, *control, strip, frame, panel);
        }

        // Bare panel between the controls, and the black bar.
        const juce::Rectangle<int> bare{470, 20, 80, 40};
        EXPECT_LT(meanDifference(shot.getClippedImage(bare), expectedArea(panel, bare)), 1.0);
        EXPECT_EQ(shot.getPixelAt(600, 310), juce::Colours::black);
        EXPECT_EQ(shot.getPixelAt(1270, 320), juce::Colours::black);
    }
};

TEST_F(Rendering, TheOpenPanelShowsItsPictureAndEveryControlAtItsFrame)
{
    ASSERT_TRUE(hasDisplay()) << "needs an X display; run the tests under xvfb-run";
    TestWindow window(*editor);
    pumpMessages();
    const auto shot = snapshot();
    save(shot, "panel-default");
    EXPECT_EQ(shot.getBounds(), juce::Rectangle<int>(0, 0, 1280, 324));
    expectPanelShows(shot);

    expectPanelPicture(shot, editor->backgroundOn, editor->backgroundOff);

    const auto banner = QVA::loadCommonImage("banner_png");
    const auto bannerArea = editor->bannerButton.getBounds();
    EXPECT_LT(meanDifference(shot.getClippedImage(bannerArea), expectedArea({}, bannerArea, banner, 2, 0)),
              1.0);
    const auto settings = QVA::loadCommonImage("settings_png");
    const auto settingsArea = editor->settingsButton.getBounds();
    EXPECT_LT(
        meanDifference(shot.getClippedImage(settingsArea), expectedArea({}, settingsArea, settings, 2, 0)),
        1.0);
}

TEST_F(Rendering, AMovedPanelShowsTheNewFramesAndThePowerOffPicture)
{
    ASSERT_TRUE(hasDisplay()) << "needs an X display; run the tests under xvfb-run";
    TestWindow window(*editor);
    setRaw("Gain", 0.8f);
    setRaw("Peak Rec", 0.45f);
    setRaw("Cell Select", 2.0f);
    setRaw("VULevel", 0.0f);
    setRaw("Mode", 1.0f);
    setRaw("Ext Sidechain", 1.0f);
    setRaw("Mix", 0.3f);
    setRaw("Power", 0.0f);
    processor.getDsp()->parameterChanged(OstrelMkIIParameters::power, 0.0f);
    editor->timerCallback();
    pumpMessages();

    const auto shot = snapshot();
    save(shot, "panel-moved-power-off");
    EXPECT_EQ(editor->background.getImage(), editor->backgroundOff);
    EXPECT_EQ(vuMeter().getFrameIndex(), 0);
    expectPanelShows(shot);
    expectPanelPicture(shot, editor->backgroundOff, editor->backgroundOn);

    editor->about.toFront(false);
    const auto aboutShot = snapshot();
    save(aboutShot, "panel-about");
    const auto about = QVA::loadPluginImage("About_png");
    const juce::Rectangle<int> corner{0, 0, 300, 60};
    EXPECT_LT(meanDifference(aboutShot.getClippedImage(corner), expectedArea(about, corner)), 1.0)
        << "the overlay covers the panel";
    EXPECT_EQ(aboutShot.getPixelAt(600, 310), juce::Colours::black) << "the bar stays visible";
}
} // namespace
