#include "OstrelMkIIEditor.h"

#include "OstrelMkIIParameters.h"
#include "OstrelMkIIProcessor.h"
#include "qva_gui/Resources.h"

#include <cmath>
#include <limits>

namespace
{
constexpr int vuMeterIndex = 0;
constexpr int switchFrames = 2;
constexpr int choiceKnobFrames = 3;
constexpr int rotaryKnobFrames = 128;
constexpr int vuMeterFrames = 128;

const juce::Rectangle<int> powerLampBounds{1127, 47, 67, 54};
const juce::Rectangle<int> powerSwitchBounds{103, 114, 60, 52};
const juce::Rectangle<int> modeSwitchBounds{65, 203, 60, 52};
const juce::Rectangle<int> extSidechainSwitchBounds{137, 203, 60, 52};
const juce::Rectangle<int> vuMeterBounds{559, 101, 161, 75};
const juce::Rectangle<int> logoMedallionBounds{590, 180, 95, 94};
const juce::Point<int> versionLabelPosition{740, 75};

// Knob areas are given as centre and size.
struct KnobPlacement
{
    const char* picture;
    int numFrames;
    juce::Rectangle<int> area;
    OstrelMkIIParameters::Index parameter;
    bool linked;
};

constexpr int smallKnob = 64;
const KnobPlacement knobPlacements[] = {
    {"KnobCellsel_png",
     choiceKnobFrames,
     {250, 215, smallKnob, smallKnob},
     OstrelMkIIParameters::cellSelect,
     false},
    {"KnobVULevel_png",
     choiceKnobFrames,
     {1168, 212, smallKnob, smallKnob},
     OstrelMkIIParameters::vuLevel,
     false},
    {"KnobEmphasis_png", rotaryKnobFrames, {254, 68, 80, 79}, OstrelMkIIParameters::emphasis, false},
    {"KnobWetDry_png", rotaryKnobFrames, {1024, 200, 80, 79}, OstrelMkIIParameters::mix, false},
    {"KnobMakeUp_png", rotaryKnobFrames, {1024, 68, 80, 79}, OstrelMkIIParameters::makeup, true},
    {"KnobGain_png", rotaryKnobFrames, {410, 147, 113, 112}, OstrelMkIIParameters::gain, true},
    {"KnobPeakReduction_png", rotaryKnobFrames, {871, 147, 113, 112}, OstrelMkIIParameters::peakRec, false},
};

// The power parameter arrives as its choice index; "On" is 1, compared in single precision.
bool isOn(float value)
{
    if (!std::isfinite(value))
        return false;
    const auto difference = std::abs(value - 1.0f);
    return difference <= std::numeric_limits<float>::min() ||
           difference <= std::numeric_limits<float>::epsilon() * std::max(1.0f, std::abs(value));
}
} // namespace

OstrelMkIIEditor::OstrelMkIIEditor(OstrelMkIIProcessor& processorToUse) : QVA::BaseEditor(processorToUse)
{
    using namespace OstrelMkIIParameters;

    // The lamp's lit frame is its lower one, so it shows "on" inverted.
    auto* lamp = new QVA::Toggle("PowerLED_png", powerLampBounds);
    lamp->inverted = true;
    addToggle(lamp, power);
    addToggle(new QVA::Toggle("SwitchPower_png", powerSwitchBounds), power);

    backgroundOn = QVA::loadPluginImage("Background_png");
    backgroundOff = QVA::loadPluginImage("BackgroundOff_png");

    if (auto* powerParameter = processorToUse.parameters.getParameter(processorToUse.parameterNames[power]))
    {
        auto* attachment =
            new juce::ParameterAttachment(*powerParameter, [this](float value) { powerChanged(value); });
        parameterAttachments.add(attachment);
        attachment->sendInitialUpdate();
    }

    addToggle(new QVA::Toggle("SwitchCompressLimit_png", modeSwitchBounds), mode);
    addToggle(new QVA::Toggle("SwitchExtSC_png", extSidechainSwitchBounds), extSidechain);

    for (const auto& placement : knobPlacements)
    {
        auto* knob = new QVA::Knob(placement.picture, placement.numFrames, placement.area);
        if (placement.linked)
        {
            auto& link = *processorToUse.gainMakeupLink;
            knob->onRightMouseDown = [&link] { link.enabled = true; };
            knob->onRightMouseUp = [&link] { link.enabled = false; };
        }
        addKnob(knob, placement.parameter);
    }

    addMeter(new QVA::ImageMeter(vuMeterBounds, "VUMeter_png", vuMeterFrames), vuMeterIndex);

    aboutButton.setBounds(logoMedallionBounds);
    about.versionLabel.setTopLeftPosition(versionLabelPosition);
    aboutButton.toFront(false);

    QVA::loadSettings(menu);
}

OstrelMkIIEditor::~OstrelMkIIEditor()
{
    backgroundOn = {};
    backgroundOff = {};
}

void OstrelMkIIEditor::powerChanged(float value)
{
    const auto& wanted = isOn(value) ? backgroundOn : backgroundOff;
    if (background.getImage() != wanted)
    {
        background.setImage(wanted);
        background.repaint();
    }
}
