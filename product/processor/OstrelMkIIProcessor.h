#pragma once

#include "qva_base_processor/BaseProcessor.h"
#include "qva_base_processor/ParameterLink.h"

#include <memory>

// The product processor: buses, the ten parameters and the gain-reduction meter, the Gain/Makeup
// link, the factory programs and the engine.
class OstrelMkIIProcessor : public QVA::BaseProcessor
{
public:
    OstrelMkIIProcessor();
    ~OstrelMkIIProcessor() override;

    bool isBusesLayoutSupported(const BusesLayout& layout) const override;
    juce::AudioProcessorEditor* createEditor() override;

    void createParameters() override;
    void createPresets() override;

    std::unique_ptr<ParameterLink> gainMakeupLink;

private:
    static BusesProperties createBuses();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OstrelMkIIProcessor)
};
