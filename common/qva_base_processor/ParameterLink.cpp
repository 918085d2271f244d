#include "ParameterLink.h"

ParameterLink::ParameterLink(juce::AudioProcessorValueTreeState& container,
                             const juce::String& firstParameterID, const juce::String& secondParameterID,
                             int linkMode)
    : state(container), firstID(firstParameterID), secondID(secondParameterID), mode(linkMode)
{
    state.addParameterListener(firstID, this);
    state.addParameterListener(secondID, this);
    if (auto* first = state.getParameter(firstID))
        firstValue = first->getValue();
    if (auto* second = state.getParameter(secondID))
        secondValue = second->getValue();
}

ParameterLink::~ParameterLink()
{
    state.removeParameterListener(firstID, this);
    state.removeParameterListener(secondID, this);
}

void ParameterLink::parameterChanged(const juce::String& parameterID, float newValue)
{
    const bool changedIsFirst = parameterID == firstID;
    auto* changed = state.getParameter(changedIsFirst ? firstID : secondID);
    auto* other = state.getParameter(changedIsFirst ? secondID : firstID);
    if (changed == nullptr || other == nullptr)
        return;

    const auto normalised = changed->convertTo0to1(newValue);
    auto& slot = changedIsFirst ? firstValue : secondValue;
    if (busy || !enabled)
    {
        slot = normalised;
        return;
    }

    const auto wasBusy = busy;
    busy = true;
    const auto old = slot.load();
    const auto current = other->getValue();
    const auto unlimited = mode == 2   ? current - (normalised - old)
                           : mode == 1 ? current + (normalised - old)
                                       : normalised;
    // Hosts expect normalised values in 0..1, so the target is limited before anyone hears of it.
    const auto target = juce::jlimit(0.0f, 1.0f, unlimited);
    slot = normalised;
    other->beginChangeGesture();
    other->setValue(target);
    other->sendValueChangedMessageToListeners(target);
    other->endChangeGesture();
    busy = wasBusy;
}
