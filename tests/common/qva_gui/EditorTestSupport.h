#pragma once

#include <unistd.h>

#include "GuiTestSupport.h"

#include "qva_base_processor/BaseProcessor.h"
#include "qva_gui/BaseEditor.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

// An engine that only answers meter readings, which the tests set.
class MeterOnlyDsp : public QVA::BaseDsp
{
public:
    explicit MeterOnlyDsp(QVA::BaseProcessor* owner) : BaseDsp(owner) {}

    void prepareToPlay(double rate, int block, int inputs, int outputs) override
    {
        sampleRate = rate;
        blockSize = block;
        numInputChannels = inputs;
        numOutputChannels = outputs;
    }
    void parameterChanged(int, float) override {}
    void processFloat(int, const float* const*, float* const*) override {}
    void processDouble(int, const double* const*, double* const*) override {}
    void processBypassedFloat(int, const float* const*, float* const*) override {}
    void processBypassedDouble(int, const double* const*, double* const*) override {}
    double getMeterValue(int meterIndex) override { return meterReadings[meterIndex]; }
    double getHostMeterValue(int) override { return 0.0; }

    std::map<int, double> meterReadings;
};

// A small processor on the shared base: a switch, a level, a three-way choice and two programs,
// with any mono or stereo layout and an optional side-chain. It records program changes.
class SmallProcessor : public QVA::BaseProcessor
{
public:
    enum Index
    {
        switchIndex = 0,
        levelIndex,
        colourIndex
    };

    SmallProcessor()
        : QVA::BaseProcessor(BusesProperties()
                                 .withInput("Input", juce::AudioChannelSet::stereo(), true)
                                 .withOutput("Output", juce::AudioChannelSet::stereo(), true)
                                 .withInput("Sidechain", juce::AudioChannelSet::stereo(), false))
    {
        dsp = std::make_unique<MeterOnlyDsp>(this);
        createParameters();
        parameters.state = juce::ValueTree(juce::Identifier("OK"));
        createPresets();
    }

    void createParameters() override
    {
        createMeterParameter("Meter");
        createChoicesParameter(switchIndex, "Switch", {"Off", "On"}, 1);
        createFloatParameter(levelIndex, "Level", 0.25f, 100.0f, {}, false);
        createChoicesParameter(colourIndex, "Colour", {"Red", "Green", "Blue"}, 0);
    }

    void createPresets() override
    {
        for (const auto* name : {"First", "Second"})
        {
            auto& program = programs[static_cast<size_t>(numPrograms)];
            program.index = numPrograms;
            program.name = name;
            program.numValues = 0;
            ++numPrograms;
        }
    }

    bool isBusesLayoutSupported(const BusesLayout& layout) const override
    {
        for (const auto& bus : layout.inputBuses)
            if (bus.size() > 2)
                return false;
        return !layout.getMainInputChannelSet().isDisabled() &&
               layout.getMainOutputChannelSet().size() >= 1 && layout.getMainOutputChannelSet().size() <= 2;
    }

    void setCurrentProgram(int index) override
    {
        programRequests.push_back(index);
        QVA::BaseProcessor::setCurrentProgram(index);
    }

    juce::AudioProcessorEditor* createEditor() override { return nullptr; }

    MeterOnlyDsp& engine() { return static_cast<MeterOnlyDsp&>(*dsp); }

    std::vector<int> programRequests;
};

// The shared editor with a few controls of the small processor registered, as a product would.
struct SmallEditor : QVA::BaseEditor
{
    explicit SmallEditor(SmallProcessor& p) : QVA::BaseEditor(p)
    {
        const auto strip = makeFilmstrip(128, 20, 20);
        addKnob(new QVA::Knob(strip, 128, {100, 100, 40, 40}), SmallProcessor::levelIndex);
        addKnob(new QVA::Knob(makeFilmstrip(3, 20, 20), 3, {200, 100, 40, 40}), SmallProcessor::colourIndex);
        addToggle(new QVA::Toggle(makeFilmstrip(2, 20, 20), {300, 80, 40, 40}), SmallProcessor::switchIndex);
    }
};

// Gives each test its own empty home folder, so the settings file of one test never meets another's
// (ctest runs tests in parallel) and none reaches the user's real one.
class TemporaryHome
{
public:
    TemporaryHome()
        : previous(juce::SystemStats::getEnvironmentVariable("HOME", {})),
          folder(juce::File::getSpecialLocation(juce::File::tempDirectory)
                     .getChildFile("qva-home-" + juce::String(static_cast<int>(getpid()))
                                   + "-" + juce::String::toHexString(juce::Random::getSystemRandom().nextInt64())))
    {
        folder.createDirectory();
        setenv("HOME", folder.getFullPathName().toRawUTF8(), 1);
        juce::Desktop::getInstance().setGlobalScaleFactor(1.0f);
    }

    ~TemporaryHome()
    {
        juce::Desktop::getInstance().setGlobalScaleFactor(1.0f);
        setenv("HOME", previous.toRawUTF8(), 1);
        folder.deleteRecursively();
    }

    juce::File settingsFile() const { return folder.getChildFile(".config/Quorvane/settings.json"); }
    const juce::File& home() const { return folder; }

private:
    juce::String previous;
    juce::File folder;
};

// The ids of the menu's items with their texts and ticks, sub-menus included, in menu order.
struct MenuEntry
{
    int id;
    juce::String text;
    bool ticked;
    bool enabled;
    bool separator;
    bool subMenu;
    int depth;
};

inline void collectMenuEntries(const juce::PopupMenu& menu, int depth, std::vector<MenuEntry>& entries)
{
    for (juce::PopupMenu::MenuItemIterator it(menu); it.next();)
    {
        const auto& item = it.getItem();
        entries.push_back({item.itemID, item.text, item.isTicked, item.isEnabled, item.isSeparator,
                           item.subMenu != nullptr, depth});
        if (item.subMenu != nullptr)
            collectMenuEntries(*item.subMenu, depth + 1, entries);
    }
}

inline std::vector<MenuEntry> menuEntries(const juce::PopupMenu& menu)
{
    std::vector<MenuEntry> entries;
    collectMenuEntries(menu, 0, entries);
    return entries;
}
