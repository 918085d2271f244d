#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

namespace QVA
{
class BaseEditor;

// The editor's settings menu: knob mode, knob sensitivity and GUI size (applied at once and kept
// in the per-user settings file), the maker's update page, the manual, the About overlay, the
// information report and the preset listing.
class Menu
{
public:
    // The item ids; 1 to 11 are also the stored preference values.
    enum MenuChoice
    {
        linear = 1,
        circular,
        normal,
        medium,
        low,
        sizeXS,
        sizeS,
        sizeM,
        sizeL,
        sizeXL,
        sizeXXL,
        checkForUpdates,
        openManual,
        showAbout,
        showPluginInfo,
        savePresetListing
    };

    Menu(BaseEditor& owner, const juce::String& settingsFilePath);
    virtual ~Menu();

    // Builds the pop-up from the current choices and opens it at the mouse; returns at once.
    void show();
    juce::PopupMenu createPopupMenu() const;

    // The pop-up's result handler. It holds the editor weakly: a choice that arrives after the
    // editor was deleted does nothing.
    std::function<void(int)> createResultHandler();
    void handleMenuResult(int itemId);

    void setKnobMode(MenuChoice choice);
    void setKnobSensitivity(MenuChoice choice);
    void setUiSize(MenuChoice choice);
    void saveSettings();

    // Opens the save dialog; the listing is written from its callback.
    void savePreset();
    // The dialog's callback, holding the editor weakly like the pop-up's handler.
    std::function<void(const juce::FileChooser&)> createPresetChosenHandler();
    void writePresetListing(const juce::File& file) const;

    void showInformationReport() const;
    void openManualFile() const;
    void openUpdatePage() const;

    juce::File getManualFile() const;
    juce::URL getManualUrl() const;
    juce::URL getUpdatePageUrl() const;

    static int sensitivityPixels(MenuChoice choice);
    static double scaleFactor(MenuChoice choice);

    BaseEditor& editor;
    MenuChoice knobMode = linear;
    MenuChoice knobSensitivity = normal;
    MenuChoice uiSize = sizeM;
    juce::DynamicObject::Ptr settings;
    juce::String settingsPath;

    // Where the manual is looked for, and how addresses and files are handed to the system; tests
    // replace these to observe the commands without starting a browser.
    juce::File applicationsFolder;
    std::function<void(const juce::URL&)> launchUrl;
    std::function<void(const juce::File&)> openFile;

private:
    std::unique_ptr<juce::FileChooser> presetChooser;

    JUCE_DECLARE_NON_COPYABLE(Menu)
};

// Reads the settings file named by the menu's path and applies knob mode, sensitivity and size
// through the menu; a missing or unreadable file, or unknown values, give the defaults per key.
void loadSettings(Menu& menu);

// The settings file of the maker's plug-ins for the current user.
juce::String defaultSettingsPath();
} // namespace QVA
