#pragma once

#include "qva_gui/BaseEditor.h"

class OstrelMkIIProcessor;

// The product's front panel: eleven filmstrip controls and the VU meter on the panel picture,
// the picture swapped with the power state, the Gain/Makeup link on a right-button drag, the
// About hot spot on the logo medallion, and the user's settings applied on opening.
class OstrelMkIIEditor : public QVA::BaseEditor
{
public:
    explicit OstrelMkIIEditor(OstrelMkIIProcessor& processorToUse);
    ~OstrelMkIIEditor() override;

    juce::Image backgroundOn;
    juce::Image backgroundOff;

private:
    void powerChanged(float value);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(OstrelMkIIEditor)
};
