#include "ProcessorSetup.h"

#include "OstrelMkIIParameters.h"
#include "qva_base_processor/StateBlob.h"

namespace OstrelRender
{
namespace
{
juce::RangedAudioParameter* findInputParameter(OstrelMkIIProcessor& processor, const juce::String& name)
{
    for (int i = 0; i < processor.numParameters; ++i)
        if (processor.parameterNames[static_cast<size_t>(i)].equalsIgnoreCase(name))
            return processor.parameters.getParameter(processor.parameterNames[static_cast<size_t>(i)]);
    return nullptr;
}

juce::StringArray programNames(OstrelMkIIProcessor& processor)
{
    juce::StringArray names;
    for (int i = 0; i < processor.getNumPrograms(); ++i)
        names.add(processor.getProgramName(i));
    return names;
}

juce::StringArray parameterNames(OstrelMkIIProcessor& processor)
{
    juce::StringArray names;
    for (int i = 0; i < processor.numParameters; ++i)
        names.add(processor.parameterNames[static_cast<size_t>(i)]);
    return names;
}

bool startsWithNumber(const juce::String& text)
{
    auto t = text.trimStart();
    if (t.startsWithChar('-') || t.startsWithChar('+'))
        t = t.substring(1);
    if (t.startsWithChar('.'))
        t = t.substring(1);
    return t.isNotEmpty() && juce::CharacterFunctions::isDigit(t[0]);
}

// A choice parameter accepts one of its choice names (in any letter case) or its index.
std::optional<float> choiceValue(const juce::AudioParameterChoice& choice, const juce::String& text)
{
    for (int i = 0; i < choice.choices.size(); ++i)
        if (choice.choices[i].equalsIgnoreCase(text) ||
            (text.containsOnly("0123456789") && text.getIntValue() == i))
            return choice.convertTo0to1(static_cast<float>(i));
    return std::nullopt;
}

void setNormalised(juce::RangedAudioParameter& parameter, float value)
{
    parameter.beginChangeGesture();
    parameter.setValueNotifyingHost(value);
    parameter.endChangeGesture();
}
} // namespace

juce::String applyProgram(OstrelMkIIProcessor& processor, const juce::String& nameOrIndex)
{
    const auto names = programNames(processor);
    auto index = names.indexOf(nameOrIndex, true);
    if (index < 0 && nameOrIndex.containsOnly("0123456789") && nameOrIndex.isNotEmpty())
        index = nameOrIndex.getIntValue() < names.size() ? nameOrIndex.getIntValue() : -1;
    if (index < 0)
        return "no program '" + nameOrIndex + "'; the programs are: " + names.joinIntoString(", ");

    // Programs are applied as a host's program change would, value by value.
    const auto& program = processor.programs[static_cast<size_t>(index)];
    for (int i = 0; i < program.numValues; ++i)
        if (auto* parameter =
                processor.parameters.getParameter(processor.parameterNames[static_cast<size_t>(i)]))
            parameter->setValueNotifyingHost(program.values[static_cast<size_t>(i)]);
    return {};
}

juce::String applySetting(OstrelMkIIProcessor& processor, const ParameterSetting& setting)
{
    auto* parameter = findInputParameter(processor, setting.name);
    if (parameter == nullptr)
        return "no parameter '" + setting.name +
               "'; the parameters are: " + parameterNames(processor).joinIntoString(", ");

    if (auto* choice = dynamic_cast<juce::AudioParameterChoice*>(parameter))
    {
        const auto value = choiceValue(*choice, setting.value);
        if (!value)
            return "'" + setting.value + "' is not a choice of " + parameter->getName(64) + " (" +
                   choice->choices.joinIntoString(", ") + ")";
        setNormalised(*parameter, *value);
        return {};
    }

    if (!startsWithNumber(setting.value))
        return "'" + setting.value + "' is not a number for " + parameter->getName(64);
    setNormalised(*parameter, parameter->getValueForText(setting.value));
    return {};
}

juce::String loadState(OstrelMkIIProcessor& processor, const juce::File& stateFile)
{
    juce::MemoryBlock blob;
    if (!stateFile.existsAsFile() || !stateFile.loadFileAsData(blob))
        return "cannot read the state file '" + stateFile.getFullPathName() + "'";
    const auto xml = QVA::StateBlob::parse(blob.getData(), static_cast<int>(blob.getSize()));
    if (xml == nullptr || !xml->getTagName().equalsIgnoreCase("OK"))
        return "'" + stateFile.getFullPathName() + "' is not a saved Ostrel Mark II state";
    processor.setStateInformation(blob.getData(), static_cast<int>(blob.getSize()));
    return {};
}

juce::String applySettings(OstrelMkIIProcessor& processor, const Options& options)
{
    if (options.stateFile)
        if (auto error = loadState(processor, *options.stateFile); error.isNotEmpty())
            return error;
    if (options.program)
        if (auto error = applyProgram(processor, *options.program); error.isNotEmpty())
            return error;
    for (const auto& setting : options.settings)
        if (auto error = applySetting(processor, setting); error.isNotEmpty())
            return error;
    if (options.sidechainFile)
        return applySetting(processor, {"Ext Sidechain", "On"});
    return {};
}

juce::String describeProgramsAndParameters(OstrelMkIIProcessor& processor)
{
    juce::String text = "Programs:\n";
    for (int i = 0; i < processor.getNumPrograms(); ++i)
        text << juce::String(i).paddedLeft(' ', 4) << "  " << processor.getProgramName(i) << "\n";

    text << "\nParameters (--set \"NAME=VALUE\"):\n";
    for (int i = 0; i < processor.numParameters; ++i)
    {
        auto* parameter = processor.parameters.getParameter(processor.parameterNames[static_cast<size_t>(i)]);
        const auto defaultText = parameter->getText(parameter->getDefaultValue(), 64);
        juce::String range;
        if (auto* choice = dynamic_cast<juce::AudioParameterChoice*>(parameter))
            range = choice->choices.joinIntoString(" | ");
        else
            range = parameter->getText(0.0f, 64) + " .. " + parameter->getText(1.0f, 64) +
                    (i == OstrelMkIIParameters::makeup ? " dB" : "");
        text << "  " << parameter->getName(64).paddedRight(' ', 14) << range.paddedRight(' ', 32)
             << "default " << defaultText << "\n";
    }
    return text;
}
} // namespace OstrelRender
