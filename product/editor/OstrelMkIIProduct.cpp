// The product's answers to the shared layer: its name, version and build, and its resource table.
#include "qva_gui/Resources.h"

#include <juce_core/juce_core.h>

#if OSTREL_HAVE_RESOURCES
#include "PluginBinaryData.h"
#endif

namespace QVA
{
const ProductInfo& getProductInfo()
{
    // Name and version are the plug-in's own, given once in its build description.
    static const ProductInfo info{JucePlugin_Name, JucePlugin_VersionString, 336};
    return info;
}

const char* getPluginResource(const char* resourceName, int& dataSizeInBytes)
{
#if OSTREL_HAVE_RESOURCES
    return PluginBinaryData::getNamedResource(resourceName, dataSizeInBytes);
#else
    juce::ignoreUnused(resourceName);
    dataSizeInBytes = 0;
    return nullptr;
#endif
}
} // namespace QVA
