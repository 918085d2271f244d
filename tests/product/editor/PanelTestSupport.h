#pragma once

#include "EditorTestSupport.h"
#include "OstrelMkIIEditor.h"
#include "OstrelMkIIParameters.h"
#include "OstrelMkIIProcessor.h"

// A fresh processor with its panel open, each test in its own home folder.
class Panel : public ::testing::Test
{
protected:
    juce::RangedAudioParameter& parameter(const juce::String& id)
    {
        return *processor.parameters.getParameter(id);
    }
    float raw(const juce::String& id) { return parameter(id).convertFrom0to1(parameter(id).getValue()); }
    void setRaw(const juce::String& id, float value)
    {
        parameter(id).setValueNotifyingHost(parameter(id).convertTo0to1(value));
    }

    QVA::Knob& knob(const juce::String& id)
    {
        for (auto* k : editor->knobs)
            if (k->getComponentID() == id)
                return *k;
        throw std::runtime_error(("no knob " + id).toStdString());
    }

    QVA::Toggle& lamp() { return *editor->toggles[0]; }
    QVA::Toggle& powerSwitch() { return *editor->toggles[1]; }
    QVA::ImageMeter& vuMeter() { return *dynamic_cast<QVA::ImageMeter*>(editor->meters[0]); }

    TemporaryHome home;
    OstrelMkIIProcessor processor;
    std::unique_ptr<OstrelMkIIEditor> editor{static_cast<OstrelMkIIEditor*>(processor.createEditor())};
};
