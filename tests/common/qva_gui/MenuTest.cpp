#include "EditorTestSupport.h"

#include "qva_gui/InformationReport.h"

namespace
{
using Choice = QVA::Menu::MenuChoice;

class SettingsMenu : public ::testing::Test
{
protected:
    void SetUp() override { QVA::loadSettings(editor->menu); }

    QVA::Menu& menu() { return editor->menu; }

    std::vector<int> tickedIds()
    {
        std::vector<int> ids;
        for (const auto& entry : menuEntries(menu().createPopupMenu()))
            if (entry.ticked)
                ids.push_back(entry.id);
        return ids;
    }

    // Replaces the system hand-off so that commands can be observed without a browser.
    void recordLaunches()
    {
        menu().launchUrl = [this](const juce::URL& url) { launchedUrls.add(url.toString(false)); };
        menu().openFile = [this](const juce::File& file) { openedFiles.add(file.getFullPathName()); };
    }

    TemporaryHome home;
    SmallProcessor processor;
    std::unique_ptr<SmallEditor> editor = std::make_unique<SmallEditor>(processor);
    juce::StringArray launchedUrls;
    juce::StringArray openedFiles;
};

TEST_F(SettingsMenu, ListsItsItemsInOrderWithOneTickPerGroup)
{
    const auto entries = menuEntries(menu().createPopupMenu());
    std::vector<std::string> layout;
    for (const auto& e : entries)
        layout.push_back(std::string(e.depth, '>') +
                         (e.separator ? std::string("---")
                                      : (e.subMenu ? "[" + e.text.toStdString() + "]"
                                                   : std::to_string(e.id) + " " + e.text.toStdString())) +
                         (e.ticked ? " *" : ""));
    const std::vector<std::string> expected = {
        "[Knob Mode]",       ">1 Linear *",    ">2 Circular",   "[Knob Sensitivity]",
        ">3 Normal *",       ">4 Medium",      ">5 Low",        "[GUI Size]",
        ">6 XS (80%)",       ">7 S (90%)",     ">8 M (100%) *", ">9 L (110%)",
        ">10 XL (150%)",     ">11 XXL (200%)", "---",           "12 Check for Updates...",
        "13 Open Manual...", "14 About...",    "---",           "15 Plugin/DAW Info...",
        "16 Save Preset..."};
    EXPECT_EQ(layout, expected);
    for (const auto& e : entries)
        EXPECT_TRUE(e.separator || e.enabled) << e.text;
}

TEST_F(SettingsMenu, TicksFollowTheLastChoiceOfEachGroup)
{
    EXPECT_EQ(tickedIds(), (std::vector<int>{Choice::linear, Choice::normal, Choice::sizeM}));
    auto handler = menu().createResultHandler();
    handler(Choice::circular);
    handler(Choice::low);
    EXPECT_EQ(tickedIds(), (std::vector<int>{Choice::circular, Choice::low, Choice::sizeM}));
    handler(Choice::sizeXL);
    handler(Choice::medium);
    EXPECT_EQ(tickedIds(), (std::vector<int>{Choice::circular, Choice::medium, Choice::sizeXL}));
}

TEST_F(SettingsMenu, KnobModeRestylesEveryKnobButAVerticalFader)
{
    auto* fader = new QVA::Knob(makeFilmstrip(3, 4, 4), 3, {10, 10, 8, 8});
    fader->setSliderStyle(juce::Slider::LinearVertical);
    editor->addKnob(fader, SmallProcessor::levelIndex);
    auto handler = menu().createResultHandler();

    handler(Choice::circular);
    EXPECT_EQ(editor->knobs[0]->getSliderStyle(), juce::Slider::Rotary);
    EXPECT_EQ(editor->knobs[1]->getSliderStyle(), juce::Slider::Rotary);
    EXPECT_EQ(fader->getSliderStyle(), juce::Slider::LinearVertical);

    handler(Choice::linear);
    EXPECT_EQ(editor->knobs[0]->getSliderStyle(), juce::Slider::RotaryHorizontalVerticalDrag);
    EXPECT_EQ(fader->getSliderStyle(), juce::Slider::LinearVertical);
}

TEST_F(SettingsMenu, SensitivityIsTheMouseTravelForTheWholeRange)
{
    const std::pair<Choice, int> cases[] = {{Choice::low, 370}, {Choice::medium, 290}, {Choice::normal, 215}};
    auto handler = menu().createResultHandler();
    for (const auto& [choice, pixels] : cases)
    {
        handler(choice);
        for (auto* knob : editor->knobs)
            EXPECT_EQ(knob->getMouseDragSensitivity(), pixels);
    }
}

TEST_F(SettingsMenu, LowSensitivityNeedsAFullLowTravelToTurnAKnobAcross)
{
    auto& knob = *editor->knobs[0];
    menu().createResultHandler()(Choice::low);
    knob.setValue(0.0, juce::sendNotificationSync);
    const juce::Point<float> start{20.0f, 20.0f};
    knob.mouseDown(syntheticEvent(knob, start, PeerMouse::left));
    knob.mouseDrag(syntheticEvent(knob, start - juce::Point<float>(0.0f, 185.0f), PeerMouse::left));
    EXPECT_NEAR(knob.getValue(), 0.5, 1.0e-6) << "half of 370 pixels";
    knob.mouseDrag(syntheticEvent(knob, start + juce::Point<float>(185.0f, -185.0f), PeerMouse::left));
    EXPECT_NEAR(knob.getValue(), 1.0, 1.0e-6);
    knob.mouseUp(syntheticEvent(knob, start + juce::Point<float>(185.0f, -185.0f), PeerMouse::left));
    EXPECT_FLOAT_EQ(processor.parameters.getParameter("Level")->getValue(), 1.0f);
}

TEST_F(SettingsMenu, SizeChoicesScaleTheWholeDesktop)
{
    const std::pair<Choice, float> cases[] = {{Choice::sizeXS, 0.8f}, {Choice::sizeS, 0.9f},
                                              {Choice::sizeM, 1.0f},  {Choice::sizeL, 1.1f},
                                              {Choice::sizeXL, 1.5f}, {Choice::sizeXXL, 2.0f}};
    auto handler = menu().createResultHandler();
    for (const auto& [choice, scale] : cases)
    {
        handler(choice);
        EXPECT_EQ(juce::Desktop::getInstance().getGlobalScaleFactor(), scale) << choice;
        EXPECT_EQ(menu().uiSize, choice);
    }
    EXPECT_EQ(editor->getWidth(), editor->editorWidth) << "the logical size never changes";
}

TEST_F(SettingsMenu, EveryPreferenceChoiceRewritesTheWholeFile)
{
    const auto file = home.settingsFile();
    ASSERT_FALSE(file.getParentDirectory().exists()) << "loading alone creates nothing";

    auto handler = menu().createResultHandler();
    handler(Choice::sizeXXL);
    ASSERT_TRUE(file.existsAsFile());
    EXPECT_EQ(file.loadFileAsString(), "{\r\n  \"knob_mode\": \"linear\",\r\n  \"knob_sensitivity\": "
                                       "\"normal\",\r\n  \"gui_size\": \"xxl\"\r\n}");

    handler(Choice::circular);
    handler(Choice::low);
    EXPECT_EQ(file.loadFileAsString(), "{\r\n  \"knob_mode\": \"circular\",\r\n  \"knob_sensitivity\": "
                                       "\"low\",\r\n  \"gui_size\": \"xxl\"\r\n}");

    // Choosing what is already chosen still writes.
    file.replaceWithText("damaged");
    handler(Choice::sizeXXL);
    EXPECT_EQ(juce::JSON::toString(juce::JSON::parse(file), true),
              R"({"knob_mode": "circular", "knob_sensitivity": "low", "gui_size": "xxl"})");
    EXPECT_EQ(file.getParentDirectory().getNumberOfChildFiles(
                  juce::File::findFilesAndDirectories | juce::File::ignoreHiddenFiles, "*"),
              1);
    EXPECT_EQ(file.getParentDirectory().getNumberOfChildFiles(juce::File::findFiles, ".*"), 0)
        << "no temporary file is left beside the settings";
}

TEST_F(SettingsMenu, TheFileIsReplacedWholeNotRewrittenInPlace)
{
    const auto file = home.settingsFile();
    auto handler = menu().createResultHandler();
    handler(Choice::sizeS);
    const auto before = file.loadFileAsString();

    // A second name for the old file keeps the old content if the new one is a different file
    // renamed over it; an in-place rewrite would change what both names show.
    const auto otherName = home.home().getChildFile("old-settings.json");
    ASSERT_EQ(link(file.getFullPathName().toRawUTF8(), otherName.getFullPathName().toRawUTF8()), 0);
    handler(Choice::sizeL);
    EXPECT_EQ(otherName.loadFileAsString(), before);
    EXPECT_TRUE(file.loadFileAsString().contains("\"gui_size\": \"l\""));
}

TEST_F(SettingsMenu, AnUnwritableLocationSkipsTheSaveSilently)
{
    // A plain file where the maker's folder should be.
    const auto folder = home.settingsFile().getParentDirectory();
    folder.getParentDirectory().createDirectory();
    folder.replaceWithText("in the way");
    menu().createResultHandler()(Choice::circular);
    EXPECT_EQ(folder.loadFileAsString(), "in the way");
    EXPECT_EQ(menu().knobMode, Choice::circular) << "the choice stays in effect";

    // A folder where the file should be.
    folder.deleteFile();
    home.settingsFile().createDirectory();
    menu().createResultHandler()(Choice::low);
    EXPECT_TRUE(home.settingsFile().isDirectory());
}

TEST_F(SettingsMenu, DismissedOrUnknownChoicesDoNothing)
{
    auto handler = menu().createResultHandler();
    recordLaunches();
    for (int id : {0, -1, 17, 1000})
        handler(id);
    EXPECT_FALSE(home.settingsFile().exists());
    EXPECT_TRUE(launchedUrls.isEmpty());
    EXPECT_EQ(tickedIds(), (std::vector<int>{Choice::linear, Choice::normal, Choice::sizeM}));
}

TEST_F(SettingsMenu, AChoiceArrivingAfterTheEditorClosedDoesNothing)
{
    auto handler = menu().createResultHandler();
    auto presetHandler = menu().createPresetChosenHandler();
    editor.reset();
    handler(Choice::sizeXXL);
    handler(Choice::showAbout);
    juce::FileChooser chooser("unused");
    presetHandler(chooser);
    EXPECT_FALSE(home.settingsFile().exists());
    EXPECT_EQ(juce::Desktop::getInstance().getGlobalScaleFactor(), 1.0f);
}

TEST_F(SettingsMenu, UpdatePageAndManualOpenInTheBrowserWhenNoManualIsInstalled)
{
    recordLaunches();
    menu().applicationsFolder = home.home().getChildFile("Applications");
    auto handler = menu().createResultHandler();
    handler(Choice::checkForUpdates);
    handler(Choice::openManual);
    EXPECT_EQ(launchedUrls, juce::StringArray({"https://quorvane.example/account",
                                               "https://quorvane.example/files/content/products/halden_rx-4/"
                                               "Quorvane_Ostrel Mark II_Manual.pdf"}));
    EXPECT_TRUE(openedFiles.isEmpty());
}

TEST_F(SettingsMenu, AnInstalledManualOpensInsteadOfTheBrowser)
{
    recordLaunches();
    menu().applicationsFolder = home.home().getChildFile("Applications");
    const auto manual = menu().applicationsFolder.getChildFile("Quorvane/Manuals/Ostrel Mark II.pdf");
    ASSERT_TRUE(manual.create().wasOk());
    menu().createResultHandler()(Choice::openManual);
    EXPECT_EQ(openedFiles, juce::StringArray(manual.getFullPathName()));
    EXPECT_TRUE(launchedUrls.isEmpty());
}

TEST_F(SettingsMenu, TheManualIsLookedForInTheSystemsApplicationsFolder)
{
    QVA::Menu fresh(*editor, {});
    EXPECT_EQ(fresh.getManualFile(), juce::File::getSpecialLocation(juce::File::globalApplicationsDirectory)
                                         .getChildFile("Quorvane/Manuals/Ostrel Mark II.pdf"));
    EXPECT_EQ(editor->menu.settingsPath,
              juce::File::getSpecialLocation(juce::File::userApplicationDataDirectory).getFullPathName() +
                  "/Quorvane/settings.json");
    EXPECT_TRUE(editor->menu.settingsPath.startsWith(home.home().getFullPathName()));
}

TEST_F(SettingsMenu, AboutItemBringsTheOverlayForward)
{
    menu().createResultHandler()(Choice::showAbout);
    EXPECT_EQ(editor->getIndexOfChildComponent(&editor->about), editor->getNumChildComponents() - 1);
}

// Top-level windows JUCE has open, by their names.
juce::StringArray desktopWindowNames()
{
    juce::StringArray names;
    auto& desktop = juce::Desktop::getInstance();
    for (int i = 0; i < desktop.getNumComponents(); ++i)
        names.add(desktop.getComponent(i)->getName());
    return names;
}

TEST_F(SettingsMenu, InformationItemShowsTheReportInAMessageBox)
{
    ASSERT_TRUE(hasDisplay()) << "needs an X display; run the tests under xvfb-run";
    menu().createResultHandler()(Choice::showPluginInfo);
    pumpMessages();
    auto* box = dynamic_cast<juce::AlertWindow*>(juce::Component::getCurrentlyModalComponent());
    ASSERT_NE(box, nullptr) << desktopWindowNames().joinIntoString(", ");
    EXPECT_EQ(box->getName(), "Ostrel Mark II");
    EXPECT_EQ(box->getNumButtons(), 1);
    juce::ModalComponentManager::getInstance()->cancelAllModalComponents();
    pumpMessages();
}

TEST_F(SettingsMenu, ARightClickOnTheEditorOpensTheMenuAndALeftClickDoesNot)
{
    ASSERT_TRUE(hasDisplay()) << "needs an X display; run the tests under xvfb-run";
    editor->mouseUp(syntheticEvent(*editor, {5.0f, 5.0f}, PeerMouse::left));
    EXPECT_FALSE(juce::PopupMenu::dismissAllActiveMenus());
    editor->mouseUp(syntheticEvent(*editor, {5.0f, 5.0f}, PeerMouse::right));
    EXPECT_TRUE(juce::PopupMenu::dismissAllActiveMenus());
    pumpMessages();

    editor->settingsButton.triggerClick();
    pumpMessages();
    EXPECT_TRUE(juce::PopupMenu::dismissAllActiveMenus()) << "the settings button opens it too";
    pumpMessages();
}
} // namespace
