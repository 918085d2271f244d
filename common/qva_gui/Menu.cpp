#include "Menu.h"

#include "BaseEditor.h"
#include "InformationReport.h"
#include "Resources.h"
#include "qva_base_processor/BaseProcessor.h"

namespace QVA
{
namespace
{
const juce::Identifier knobModeKey{"knob_mode"};
const juce::Identifier knobSensitivityKey{"knob_sensitivity"};
const juce::Identifier guiSizeKey{"gui_size"};

constexpr int settingsBufferSize = 32768;

struct SizeChoice
{
    Menu::MenuChoice choice;
    const char* text;
    double scale;
};

constexpr SizeChoice sizeChoices[] = {
    {Menu::sizeXS, "xs", 0.8}, {Menu::sizeS, "s", 0.9},   {Menu::sizeM, "m", 1.0},
    {Menu::sizeL, "l", 1.1},   {Menu::sizeXL, "xl", 1.5}, {Menu::sizeXXL, "xxl", 2.0},
};

void collectEditors(juce::Component& component,
                    juce::Array<juce::Component::SafePointer<BaseEditor>>& editors)
{
    if (auto* editor = dynamic_cast<BaseEditor*>(&component))
        editors.add(editor);
    for (auto* child : component.getChildren())
        collectEditors(*child, editors);
}

// When the global factor changes, JUCE keeps each open window at its pixel size and shrinks or
// grows its content to fit, which would cut the fixed-size editors off. Every open editor therefore
// re-announces its size; the window or plug-in wrapper holding it then takes the scaled size.
void rescaleOpenEditors()
{
    juce::Array<juce::Component::SafePointer<BaseEditor>> editors;
    for (int i = juce::ComponentPeer::getNumPeers(); --i >= 0;)
        if (auto* peer = juce::ComponentPeer::getPeer(i))
            collectEditors(peer->getComponent(), editors);
    for (auto& editor : editors)
        if (editor != nullptr)
            editor->announceSize();
}

const SizeChoice& sizeFor(Menu::MenuChoice choice)
{
    for (const auto& size : sizeChoices)
        if (size.choice == choice)
            return size;
    return sizeChoices[2];
}
} // namespace

juce::String defaultSettingsPath()
{
    return juce::File::getSpecialLocation(juce::File::userApplicationDataDirectory).getFullPathName() + "/" +
           makerFolderName + "/settings.json";
}

Menu::Menu(BaseEditor& owner, const juce::String& settingsFilePath)
    : editor(owner), settings(new juce::DynamicObject()), settingsPath(settingsFilePath),
      applicationsFolder(juce::File::getSpecialLocation(juce::File::globalApplicationsDirectory)),
      launchUrl([](const juce::URL& url) { url.launchInDefaultBrowser(); }),
      openFile([](const juce::File& file) { file.startAsProcess(); })
{
}

Menu::~Menu() = default;

juce::PopupMenu Menu::createPopupMenu() const
{
    juce::PopupMenu knobModeMenu;
    knobModeMenu.addItem(linear, "Linear", true, knobMode == linear);
    knobModeMenu.addItem(circular, "Circular", true, knobMode == circular);

    juce::PopupMenu sensitivityMenu;
    sensitivityMenu.addItem(normal, "Normal", true, knobSensitivity == normal);
    sensitivityMenu.addItem(medium, "Medium", true, knobSensitivity == medium);
    sensitivityMenu.addItem(low, "Low", true, knobSensitivity == low);

    juce::PopupMenu sizeMenu;
    sizeMenu.addItem(sizeXS, "XS (80%)", true, uiSize == sizeXS);
    sizeMenu.addItem(sizeS, "S (90%)", true, uiSize == sizeS);
    sizeMenu.addItem(sizeM, "M (100%)", true, uiSize == sizeM);
    sizeMenu.addItem(sizeL, "L (110%)", true, uiSize == sizeL);
    sizeMenu.addItem(sizeXL, "XL (150%)", true, uiSize == sizeXL);
    sizeMenu.addItem(sizeXXL, "XXL (200%)", true, uiSize == sizeXXL);

    juce::PopupMenu menu;
    menu.addSubMenu("Knob Mode", knobModeMenu);
    menu.addSubMenu("Knob Sensitivity", sensitivityMenu);
    menu.addSubMenu("GUI Size", sizeMenu);
    menu.addSeparator();
    menu.addItem(checkForUpdates, "Check for Updates...");
    menu.addItem(openManual, "Open Manual...");
    menu.addItem(showAbout, "About...");
    menu.addSeparator();
    menu.addItem(showPluginInfo, "Plugin/DAW Info...");
    menu.addItem(savePresetListing, "Save Preset...");
    return menu;
}

void Menu::show()
{
    createPopupMenu().showMenuAsync(juce::PopupMenu::Options(), createResultHandler());
}

std::function<void(int)> Menu::createResultHandler()
{
    juce::Component::SafePointer<BaseEditor> safeEditor(&editor);
    return [safeEditor](int itemId)
    {
        if (auto* owner = safeEditor.getComponent())
            owner->menu.handleMenuResult(itemId);
    };
}

void Menu::handleMenuResult(int itemId)
{
    switch (itemId)
    {
    case linear:
    case circular:
        setKnobMode(static_cast<MenuChoice>(itemId));
        saveSettings();
        break;
    case normal:
    case medium:
    case low:
        setKnobSensitivity(static_cast<MenuChoice>(itemId));
        saveSettings();
        break;
    case sizeXS:
    case sizeS:
    case sizeM:
    case sizeL:
    case sizeXL:
    case sizeXXL:
        setUiSize(static_cast<MenuChoice>(itemId));
        saveSettings();
        break;
    case checkForUpdates:
        openUpdatePage();
        break;
    case openManual:
        openManualFile();
        break;
    case showAbout:
        editor.about.toFront(true);
        break;
    case showPluginInfo:
        showInformationReport();
        break;
    case savePresetListing:
        savePreset();
        break;
    default:
        break;
    }
}

void Menu::setKnobMode(MenuChoice choice)
{
    knobMode = choice == circular ? circular : linear;
    const auto style =
        knobMode == circular ? juce::Slider::Rotary : juce::Slider::RotaryHorizontalVerticalDrag;
    for (auto* knob : editor.knobs)
    {
        const auto current = knob->getSliderStyle();
        if (current != juce::Slider::LinearVertical && current != style)
            knob->setSliderStyle(style);
    }
    settings->setProperty(knobModeKey, knobMode == circular ? "circular" : "linear");
}

int Menu::sensitivityPixels(MenuChoice choice)
{
    if (choice == medium)
        return 290;
    if (choice == low)
        return 370;
    return 215;
}

double Menu::scaleFactor(MenuChoice choice)
{
    return sizeFor(choice).scale;
}

void Menu::setKnobSensitivity(MenuChoice choice)
{
    knobSensitivity = choice == medium || choice == low ? choice : normal;
    for (auto* knob : editor.knobs)
        knob->setMouseDragSensitivity(sensitivityPixels(knobSensitivity));
    settings->setProperty(knobSensitivityKey, knobSensitivity == low      ? "low"
                                              : knobSensitivity == medium ? "medium"
                                                                          : "normal");
}

void Menu::setUiSize(MenuChoice choice)
{
    const auto& size = sizeFor(choice);
    uiSize = size.choice;
    // Global: every editor window of the host process is rescaled, other instances' included.
    auto& desktop = juce::Desktop::getInstance();
    const auto previousScale = desktop.getGlobalScaleFactor();
    desktop.setGlobalScaleFactor(static_cast<float>(size.scale));
    if (desktop.getGlobalScaleFactor() != previousScale)
        rescaleOpenEditors();
    settings->setProperty(guiSizeKey, size.text);
}

// The new content goes to a hidden file beside the old one, which is then renamed over it, so a
// reader (or a crash mid-write) never sees half a file.
void Menu::saveSettings()
{
    if (settingsPath.isEmpty() || !juce::File::isAbsolutePath(settingsPath))
        return;
    const juce::File file(settingsPath);
    if (file.isDirectory())
        return;
    const auto folder = file.getParentDirectory();
    if (!folder.isDirectory() && !folder.createDirectory().wasOk())
        return;

    juce::TemporaryFile replacement(file, juce::TemporaryFile::useHiddenFile);
    {
        juce::FileOutputStream stream(replacement.getFile(), settingsBufferSize);
        if (!stream.openedOk())
            return;
        settings->writeAsJSON(stream, 0, false, 15);
        stream.flush();
        if (stream.getStatus().failed())
            return;
    }
    replacement.overwriteTargetFileWithTemporary();
}

void Menu::savePreset()
{
    presetChooser = std::make_unique<juce::FileChooser>(
        "Save Preset...", juce::File::getSpecialLocation(juce::File::userDocumentsDirectory), "*.h", true);
    presetChooser->launchAsync(juce::FileBrowserComponent::saveMode |
                                   juce::FileBrowserComponent::canSelectFiles,
                               createPresetChosenHandler());
}

std::function<void(const juce::FileChooser&)> Menu::createPresetChosenHandler()
{
    juce::Component::SafePointer<BaseEditor> safeEditor(&editor);
    return [safeEditor](const juce::FileChooser& chooser)
    {
        auto* owner = safeEditor.getComponent();
        if (owner == nullptr)
            return;
        owner->menu.writePresetListing(chooser.getResult());
        if (&chooser == owner->menu.presetChooser.get())
            owner->menu.presetChooser.reset();
    };
}

void Menu::writePresetListing(const juce::File& file) const
{
    if (file == juce::File())
        return;

    juce::String listing;
    listing << "Preset for " << getProductInfo().displayName << "\n\n";
    for (auto* knob : editor.knobs)
        listing << knob->getComponentID() << ": " << juce::String(knob->getValue()) << "\n";
    for (auto* toggle : editor.toggles)
    {
        const auto state = toggle->getToggleState() ? 1 : 0;
        juce::String choiceText;
        if (auto* choice = dynamic_cast<juce::AudioParameterChoice*>(
                editor.baseProcessor.parameters.getParameter(toggle->getComponentID())))
            choiceText = choice->choices[state];
        listing << toggle->getComponentID() << ": " << state << " " << choiceText << "\n";
    }
    // Plain 8-bit text without a byte-order mark; every line break is written as CR LF.
    file.replaceWithText(listing, false, false, "\r\n");
}

void Menu::showInformationReport() const
{
    juce::NativeMessageBox::showMessageBoxAsync(
        juce::MessageBoxIconType::NoIcon, getProductInfo().displayName,
        createInformationReport(editor.baseProcessor), &editor, nullptr);
}

juce::File Menu::getManualFile() const
{
    return applicationsFolder.getChildFile(makerFolderName)
        .getChildFile("Manuals")
        .getChildFile(juce::String(getProductInfo().displayName) + ".pdf");
}

juce::URL Menu::getManualUrl() const
{
    return juce::URL(juce::String(makerWebSite) + "/files/content/products/halden_rx-4/" + makerFolderName +
                     "_" + getProductInfo().displayName + "_Manual.pdf");
}

juce::URL Menu::getUpdatePageUrl() const
{
    return juce::URL(juce::String(makerWebSite) + "/account");
}

void Menu::openManualFile() const
{
    const auto manual = getManualFile();
    if (manual.exists())
        openFile(manual);
    else
        launchUrl(getManualUrl());
}

void Menu::openUpdatePage() const
{
    launchUrl(getUpdatePageUrl());
}

void loadSettings(Menu& menu)
{
    juce::var parsed;
    if (menu.settingsPath.isNotEmpty() && juce::File::isAbsolutePath(menu.settingsPath))
    {
        const juce::File file(menu.settingsPath);
        if (file.existsAsFile())
            parsed = juce::JSON::parse(file.loadFileAsString());
    }

    const auto text = [&parsed](const juce::Identifier& key, const char* fallback)
    {
        if (auto* object = parsed.getDynamicObject(); object != nullptr && object->hasProperty(key))
            return object->getProperty(key).toString();
        return juce::String(fallback);
    };

    const auto mode = text(knobModeKey, "linear") == "circular" ? Menu::circular : Menu::linear;

    const auto sensitivityText = text(knobSensitivityKey, "normal");
    const auto sensitivity = sensitivityText == "low"      ? Menu::low
                             : sensitivityText == "medium" ? Menu::medium
                                                           : Menu::normal;

    const auto sizeText = text(guiSizeKey, "m");
    auto size = Menu::sizeM;
    for (const auto& candidate : sizeChoices)
        if (sizeText == candidate.text)
            size = candidate.choice;

    menu.setKnobMode(mode);
    menu.setKnobSensitivity(sensitivity);
    menu.setUiSize(size);
}
} // namespace QVA
