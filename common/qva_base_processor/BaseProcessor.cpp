#include "BaseProcessor.h"

#include "ParameterTexts.h"
#include "StateBlob.h"

#include <cmath>
#include <limits>

namespace QVA
{
namespace
{
// Two sample rates count as the same format when they differ by no more than rounding noise.
bool approximatelyEqualRates(double a, double b)
{
    if (!std::isfinite(a) || !std::isfinite(b))
        return a == b;
    const auto difference = std::abs(a - b);
    return difference <= std::numeric_limits<double>::min() ||
           difference <= std::numeric_limits<double>::epsilon() * std::max(std::abs(a), std::abs(b));
}

// A restored value that is not a finite number would leave its parameter outside any range, so
// such children are dropped and their parameters keep their current values.
void removeNonFiniteValues(juce::XmlElement& root)
{
    static const juce::Identifier valueAttribute{"value"};
    for (auto* child = root.getFirstChildElement(); child != nullptr;)
    {
        auto* next = child->getNextElement();
        if (child->hasAttribute(valueAttribute.toString()) &&
            !std::isfinite(child->getDoubleAttribute(valueAttribute.toString())))
            root.removeChildElement(child, true);
        child = next;
    }
}
} // namespace

// The container would reset parameters that the restored tree does not mention to their
// defaults; a state that does not mention a parameter leaves it as it is, so such parameters get
// a child with their current value, appended after the restored ones.
void BaseProcessor::appendMissingParameters(juce::XmlElement& root) const
{
    for (auto* p : getParameters())
    {
        auto* ranged = dynamic_cast<juce::RangedAudioParameter*>(p);
        if (ranged == nullptr || root.getChildByAttribute("id", ranged->getParameterID()) != nullptr)
            continue;
        auto* child = root.createNewChildElement("PARAM");
        child->setAttribute("id", ranged->getParameterID());
        child->setAttribute("value", static_cast<double>(ranged->convertFrom0to1(ranged->getValue())));
    }
}

BaseProcessor::BaseProcessor(const BusesProperties& buses)
    : juce::AudioProcessor(buses), parameters(*this, nullptr)
{
}

BaseProcessor::~BaseProcessor() = default;

const juce::String BaseProcessor::getName() const
{
    return JucePlugin_Name;
}

void BaseProcessor::prepareToPlay(double sampleRate, int maximumExpectedSamplesPerBlock)
{
    const auto totalInputs = getTotalNumInputChannels();
    const auto totalOutputs = getTotalNumOutputChannels();

    if (preparedSampleRate.load() == 0.0)
        ignoreNextProgramChange = true;
    else if (!approximatelyEqualRates(sampleRate, preparedSampleRate.load()) ||
             maximumExpectedSamplesPerBlock != preparedBlockSize.load() ||
             totalInputs != preparedInputChannels.load() || totalOutputs != preparedOutputChannels.load())
        resendAllParameters = true;

    preparedSampleRate.exchange(sampleRate);
    preparedBlockSize.exchange(maximumExpectedSamplesPerBlock);
    preparedInputChannels.exchange(totalInputs);
    preparedOutputChannels.exchange(totalOutputs);

    const auto mainInputs = getMainBusNumInputChannels();
    dsp->setChannelRoles(mainInputs, totalInputs - mainInputs);
    dsp->prepareToPlay(sampleRate, maximumExpectedSamplesPerBlock, totalInputs, totalOutputs);

    if (dsp->latencySamples != getLatencySamples())
        setLatencySamples(dsp->latencySamples);
}

void BaseProcessor::releaseResources()
{
    dsp->releaseResources();
}

bool BaseProcessor::bufferHoldsPreparedChannels(int numChannels) const noexcept
{
    return numChannels >= std::max(dsp->numInputChannels, dsp->numOutputChannels);
}

void BaseProcessor::updatePlayingFlag()
{
    bool playing = false;
    if (auto* head = getPlayHead())
        if (const auto position = head->getPosition())
            playing = position->getIsPlaying();
    dsp->isPlaying = playing;
}

template <typename Sample> void BaseProcessor::processWithEngine(juce::AudioBuffer<Sample>& buffer)
{
    juce::ScopedNoDenormals noDenormals;
    updatePlayingFlag();
    ignoreNextProgramChange = false;
    updateParameters();

    // A host that hands over fewer channels than it prepared would make the engine read past the
    // buffer; such a block is answered with silence.
    if (!bufferHoldsPreparedChannels(buffer.getNumChannels()))
    {
        buffer.clear();
        return;
    }

    auto* const* channels = buffer.getArrayOfWritePointers();
    if constexpr (std::is_same_v<Sample, float>)
        dsp->processFloat(buffer.getNumSamples(), channels, channels);
    else
        dsp->processDouble(buffer.getNumSamples(), channels, channels);
}

template <typename Sample> void BaseProcessor::processBypassedWithEngine(juce::AudioBuffer<Sample>& buffer)
{
    juce::ScopedNoDenormals noDenormals;
    if (getLatencySamples() == 0)
    {
        if (!buffer.hasBeenCleared())
            for (int ch = getMainBusNumInputChannels(); ch < getTotalNumOutputChannels(); ++ch)
                buffer.clear(ch, 0, buffer.getNumSamples());
        return;
    }

    if (!bufferHoldsPreparedChannels(buffer.getNumChannels()))
    {
        buffer.clear();
        return;
    }

    auto* const* channels = buffer.getArrayOfWritePointers();
    if constexpr (std::is_same_v<Sample, float>)
        dsp->processBypassedFloat(buffer.getNumSamples(), channels, channels);
    else
        dsp->processBypassedDouble(buffer.getNumSamples(), channels, channels);
}

void BaseProcessor::processBlock(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    processWithEngine(buffer);
}

void BaseProcessor::processBlock(juce::AudioBuffer<double>& buffer, juce::MidiBuffer&)
{
    processWithEngine(buffer);
}

void BaseProcessor::processBlockBypassed(juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    processBypassedWithEngine(buffer);
}

void BaseProcessor::processBlockBypassed(juce::AudioBuffer<double>& buffer, juce::MidiBuffer&)
{
    processBypassedWithEngine(buffer);
}

bool BaseProcessor::isBusesLayoutSupported(const BusesLayout& layout) const
{
    const auto mainIn = layout.getMainInputChannelSet();
    const auto mainOut = layout.getMainOutputChannelSet();
    return !mainIn.isDisabled() && !mainOut.isDisabled() && mainIn.size() <= 2 && mainOut.size() <= 2 &&
           mainIn == mainOut;
}

void BaseProcessor::updateParameters()
{
    for (int i = 0; i < numParameters; ++i)
    {
        const auto value = parameterValues[static_cast<size_t>(i)]->load();
        auto& last = lastParameterValues[static_cast<size_t>(i)];
        if (std::abs(last - value) >= 1.0e-4f || resendAllParameters)
        {
            last = value;
            dsp->parameterChanged(i, value);
            parameterChanged(i, value);
        }
    }
    resendAllParameters = false;

    for (int j = 0; j < numMeterParameters; ++j)
    {
        const auto meterValue = static_cast<float>(dsp->getHostMeterValue(j));
        if (auto* meter = parameters.getParameter(meterParameterNames[static_cast<size_t>(j)]))
        {
            meter->beginChangeGesture();
            meter->setValue(meterValue);
            meter->sendValueChangedMessageToListeners(meterValue);
            meter->endChangeGesture();
        }
    }
}

void BaseProcessor::parameterChanged(int, float) {}

void BaseProcessor::setParameterValue(int parameterIndex, float normalisedValue)
{
    if (parameterIndex < 0 || parameterIndex >= numParameters)
        return;
    if (auto* parameter = parameters.getParameter(parameterNames[static_cast<size_t>(parameterIndex)]))
    {
        parameter->beginChangeGesture();
        parameter->setValue(normalisedValue);
        parameter->sendValueChangedMessageToListeners(normalisedValue);
        parameter->endChangeGesture();
    }
}

void BaseProcessor::setCurrentProgram(int index)
{
    if (ignoreNextProgramChange)
    {
        ignoreNextProgramChange = false;
        return;
    }
    if (numPrograms <= 0)
        return;

    const auto k = index >= numPrograms ? numPrograms - 1 : std::max(index, 0);
    currentProgram = k;
    const auto& program = programs[static_cast<size_t>(k)];
    for (int i = 0; i < program.numValues; ++i)
    {
        if (auto* parameter = parameters.getParameter(parameterNames[static_cast<size_t>(i)]))
        {
            const auto value = program.values[static_cast<size_t>(i)];
            parameter->setValue(value);
            parameter->sendValueChangedMessageToListeners(value);
        }
    }
    ignoreNextProgramChange = false;
}

const juce::String BaseProcessor::getProgramName(int index)
{
    if (numPrograms <= 0)
        return {};
    return programs[static_cast<size_t>(juce::jlimit(0, numPrograms - 1, index))].name;
}

void BaseProcessor::getStateInformation(juce::MemoryBlock& destData)
{
    const auto state = parameters.copyState();
    if (const auto xml = state.createXml())
        copyXmlToBinary(*xml, destData);
}

void BaseProcessor::setStateInformation(const void* data, int sizeInBytes)
{
    auto xml = StateBlob::parse(data, sizeInBytes);
    if (xml == nullptr || !xml->getTagName().equalsIgnoreCase(parameters.state.getType().toString()))
        return;

    removeNonFiniteValues(*xml);
    appendMissingParameters(*xml);
    parameters.replaceState(juce::ValueTree::fromXml(*xml));
}

void BaseProcessor::registerParameter(int index, const juce::String& name, float registryDefault)
{
    const auto slot = static_cast<size_t>(index);
    parameterValues[slot] = parameters.getRawParameterValue(name);
    lastParameterValues[slot] = registryDefault;
    parameterNames[slot] = name;
    ++numParameters;
}

void BaseProcessor::createFloatParameter_(int index, const juce::String& name, float defaultValue,
                                          const juce::AudioParameterFloatAttributes& attributes)
{
    parameters.createAndAddParameter(std::make_unique<juce::AudioParameterFloat>(
        juce::ParameterID{name, 1}, name, juce::NormalisableRange<float>(0.0f, 1.0f), defaultValue,
        attributes));
    registerParameter(index, name, defaultValue);
}

void BaseProcessor::createFloatParameter(int index, const juce::String& name, float defaultValue,
                                         float maximum, const juce::String& unit, bool meta)
{
    auto attributes =
        juce::AudioParameterFloatAttributes()
            .withLabel({})
            .withStringFromValueFunction([maximum, unit](float value, int)
                                         { return ParameterTexts::standardValueText(value, maximum, unit); })
            .withValueFromStringFunction([maximum](const juce::String& text)
                                         { return ParameterTexts::standardTextToValue(text, maximum); })
            .withMeta(meta);
    createFloatParameter_(index, name, defaultValue, attributes);
}

void BaseProcessor::createChoicesParameter(int index, const juce::String& name,
                                           const juce::StringArray& choices, int defaultIndex)
{
    parameters.createAndAddParameter(std::make_unique<juce::AudioParameterChoice>(
        juce::ParameterID{name, 1}, name, choices, defaultIndex));
    registerParameter(index, name, static_cast<float>(defaultIndex));
}

void BaseProcessor::createMeterParameter(const juce::String& name)
{
    const auto attributes = juce::AudioParameterFloatAttributes().withLabel({}).withCategory(
        juce::AudioProcessorParameter::compressorLimiterGainReductionMeter);
    parameters.createAndAddParameter(std::make_unique<juce::AudioParameterFloat>(
        juce::ParameterID{name, 1}, name, juce::NormalisableRange<float>(0.0f, 1.0f), 0.0f, attributes));
    meterParameterNames[static_cast<size_t>(numMeterParameters)] = name;
    ++numMeterParameters;
}
} // namespace QVA
