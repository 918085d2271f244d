#include "OstrelMkIIProcessor.h"

#include "OstrelMkIIDsp.h"
#include "OstrelMkIIEditor.h"
#include "OstrelMkIIParameters.h"
#include "OstrelMkIIPrograms.h"

namespace
{
// Gain/Makeup link mode: raising one lowers the other by the same normalised amount.
constexpr int oppositeMoves = 2;
} // namespace

juce::AudioProcessor::BusesProperties OstrelMkIIProcessor::createBuses()
{
    return BusesProperties()
        .withInput("Input", juce::AudioChannelSet::stereo(), true)
        .withOutput("Output", juce::AudioChannelSet::stereo(), true)
        .withInput("Sidechain", juce::AudioChannelSet::stereo(), false);
}

OstrelMkIIProcessor::OstrelMkIIProcessor() : QVA::BaseProcessor(createBuses())
{
    dsp = std::make_unique<QVA::OstrelMkIIDsp>(this);
    // Hosts that ask before activating already see the engine's fixed latency.
    setLatencySamples(dsp->latencySamples);
    createParameters();
    parameters.state = juce::ValueTree(juce::Identifier("OK"));
    createPresets();
}

OstrelMkIIProcessor::~OstrelMkIIProcessor()
{
    dsp.reset();
    gainMakeupLink.reset();
}

bool OstrelMkIIProcessor::isBusesLayoutSupported(const BusesLayout& layout) const
{
    const auto mainIn = layout.getMainInputChannelSet();
    const auto mainOut = layout.getMainOutputChannelSet();
    if (mainIn.isDisabled() || mainOut.isDisabled())
        return false;
    if (mainIn.size() > 2 || mainOut.size() > 2)
        return false;
    return layout.inputBuses.size() < 2 || layout.getChannelSet(true, 1).size() <= 2;
}

juce::AudioProcessorEditor* OstrelMkIIProcessor::createEditor()
{
    return new OstrelMkIIEditor(*this);
}

void OstrelMkIIProcessor::createParameters()
{
    using namespace OstrelMkIIParameters;
    static const juce::StringArray onOff{"Off", "On"};

    createMeterParameter(gainReductionMeterName);
    createChoicesParameter(power, "Power", onOff, 1);
    createFloatParameter(peakRec, "Peak Rec", 0.0f, 100.0f, {}, false);
    createFloatParameter(gain, "Gain", 0.25f, 100.0f, {}, true);
    createChoicesParameter(mode, "Mode", {"Compress", "Limit"}, 0);
    createChoicesParameter(vuLevel, "VULevel", {"Input", "GainRed", "Output"}, 1);
    createChoicesParameter(extSidechain, "Ext Sidechain", onOff, 0);
    createFloatParameter(emphasis, "Emphasis", 0.8f, 1.0f, {}, false);
    createChoicesParameter(cellSelect, "Cell Select", {"Cell A", "Cell B", "Cell C"}, 0);
    createFloatParameter_(
        makeup, "Makeup", 0.5f,
        juce::AudioParameterFloatAttributes()
            .withLabel({})
            .withStringFromValueFunction([](float value, int) { return makeupValueText(value); })
            .withValueFromStringFunction(makeupTextToValue)
            .withMeta(true));
    createFloatParameter(mix, "Mix", 1.0f, 100.0f, {}, false);

    gainMakeupLink = std::make_unique<ParameterLink>(parameters, "Gain", "Makeup", oppositeMoves);
}

void OstrelMkIIProcessor::createPresets()
{
    using namespace OstrelMkIIParameters;
    constexpr float on = 1.0f;
    constexpr float off = 0.0f;
    constexpr float showGainReduction = 0.5f;

    for (const auto& factory : OstrelMkIIPrograms::factoryPrograms)
    {
        auto& program = programs[static_cast<size_t>(numPrograms)];
        program.index = numPrograms;
        program.name = factory.name;
        program.numValues = count;
        program.values[power] = on;
        program.values[peakRec] = factory.peakRec;
        program.values[gain] = factory.gain;
        program.values[mode] = factory.mode;
        program.values[vuLevel] = showGainReduction;
        program.values[extSidechain] = off;
        program.values[emphasis] = factory.emphasis;
        program.values[cellSelect] = factory.cellSelect;
        program.values[makeup] = factory.makeup;
        program.values[mix] = factory.mix;
        ++numPrograms;
    }
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new OstrelMkIIProcessor();
}
