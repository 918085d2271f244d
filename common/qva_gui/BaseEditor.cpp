#include "BaseEditor.h"

#include "Resources.h"
#include "qva_base_processor/BaseProcessor.h"

namespace QVA
{
namespace
{
constexpr int bannerFrames = 2;
constexpr int settingsFrames = 2;
const juce::Rectangle<int> defaultAboutButtonBounds{115, 105, 75, 75};
} // namespace

BaseEditor::BaseEditor(BaseProcessor& processorToUse)
    : juce::AudioProcessorEditor(processorToUse), baseProcessor(processorToUse),
      menu(*this, defaultSettingsPath()), presetManager(processorToUse)
{
    setOpaque(true);
    // The panel picture is drawn at twice the logical size; its size fixes the editor's.
    const auto panel = loadPluginImage("Background_png");
    editorWidth = panel.isValid() ? panel.getWidth() / 2 : 0;
    editorHeight = (panel.isValid() ? panel.getHeight() / 2 : 0) + bottomBarHeight;
    setBounds(0, 0, editorWidth, editorHeight);

    addAndMakeVisible(background);
    background.addMouseListener(this, false);
    background.setImage(panel);

    addAndMakeVisible(bannerButton);
    bannerButton.setImage(loadCommonImage("banner_png"), bannerFrames);
    bannerButton.onClick = [this] { menu.launchUrl(juce::URL(makerWebSite)); };

    addAndMakeVisible(settingsButton);
    settingsButton.setImage(loadCommonImage("settings_png"), settingsFrames);
    settingsButton.onClick = [this] { menu.show(); };

    aboutButton.setBounds(defaultAboutButtonBounds);
    addAndMakeVisible(aboutButton);
    aboutButton.onClick = [this] { about.toFront(true); };

    addAndMakeVisible(about);
    about.toBack();
}

BaseEditor::~BaseEditor()
{
    stopTimer();
    for (juce::HashMap<int, Meter*>::Iterator entry(meters); entry.next();)
        delete entry.getValue();
    meters.clear();
    background.removeMouseListener(this);
}

juce::String BaseEditor::parameterIdAt(int index) const
{
    if (index < 0 || index >= BaseProcessor::maxParameters)
        return {};
    return baseProcessor.parameterNames[static_cast<size_t>(index)];
}

void BaseEditor::addKnob(Knob* knob, int index)
{
    addAndMakeVisible(knob);
    knobs.add(knob);
    const auto id = parameterIdAt(index);
    knob->setComponentID(id);
    knobAttachments.add(
        new juce::AudioProcessorValueTreeState::SliderAttachment(baseProcessor.parameters, id, *knob));
}

void BaseEditor::addToggle(Toggle* toggle, int index)
{
    addAndMakeVisible(toggle);
    toggles.add(toggle);
    const auto id = parameterIdAt(index);
    toggle->setComponentID(id);
    toggleAttachments.add(
        new juce::AudioProcessorValueTreeState::ButtonAttachment(baseProcessor.parameters, id, *toggle));
}

void BaseEditor::addMeter(Meter* meter, int meterIndex)
{
    addAndMakeVisible(meter);
    if (auto* previous = meters[meterIndex]; previous != nullptr && previous != meter)
        delete previous;
    meters.set(meterIndex, meter);
    if (!isTimerRunning())
        startTimer(meterPeriodMilliseconds);
}

int BaseEditor::getControlParameterIndex(juce::Component& component)
{
    const auto id = component.getComponentID();
    if (id.isEmpty())
        return -1;
    if (auto* parameter = baseProcessor.parameters.getParameter(id))
        return parameter->getParameterIndex();
    return -1;
}

// A wrapper converts the editor's logical size with the desktop scale only when the editor's
// bounds change; a passing change of height makes it do so (resized() restores the height).
void BaseEditor::announceSize()
{
    setSize(editorWidth, editorHeight + 1);
    setSize(editorWidth, editorHeight);
}

void BaseEditor::timerCallback()
{
    auto* dsp = baseProcessor.getDsp();
    if (dsp == nullptr)
        return;
    for (juce::HashMap<int, Meter*>::Iterator entry(meters); entry.next();)
        entry.getValue()->setValue(dsp->getMeterValue(entry.getKey()));
}

void BaseEditor::mouseUp(const juce::MouseEvent& e)
{
    if (e.mods.isRightButtonDown())
        menu.show();
}

void BaseEditor::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colours::black);
}

void BaseEditor::resized()
{
    if (editorWidth <= 0)
        return;
    const auto w = editorWidth;
    const auto h = editorHeight;
    // The editor keeps its size whatever a host asks for; where it sits is the host's business.
    setSize(w, h);

    const auto panelHeight = h - bottomBarHeight;
    background.setBounds(0, 0, w, panelHeight);
    bannerButton.setBounds(2, panelHeight + 2, 171, 27);
    presetManager.setBounds(w - 500, h - 28, 120, 20);
    settingsButton.setBounds(w - 46, h - 28, 23, 27);
    about.setBounds(0, 0, w, panelHeight);
}
} // namespace QVA
