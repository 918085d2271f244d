#include "PresetManager.h"

#include "qva_base_processor/BaseProcessor.h"

namespace QVA
{
PresetManager::PresetManager(BaseProcessor& processorToUse) : processor(processorToUse)
{
    presetBox.setTextWhenNothingSelected("No preset Selected");
    // Combo-box ids must not be 0, so a program's id is its index + 1.
    for (int i = 0; i < processor.getNumPrograms(); ++i)
        presetBox.addItem(processor.getProgramName(i), i + 1);
    presetBox.onChange = [this] { presetChosen(); };
    addAndMakeVisible(presetBox);
}

PresetManager::~PresetManager() = default;

void PresetManager::resized()
{
    presetBox.setBounds(getLocalBounds());
}

void PresetManager::presetChosen()
{
    auto index = presetBox.indexOfItemId(presetBox.getSelectedId());
    // Typed text that names no item selects nothing.
    if (presetBox.getText() != presetBox.getItemText(index))
        index = -1;
    processor.setCurrentProgram(index);
}
} // namespace QVA
