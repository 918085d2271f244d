// The product's answers to the shared layer: its name, version and build, and its resource table.
#include "qva_gui/Resources.h"

#if OSTREL_HAVE_RESOURCES
#include "PluginBinaryData.h"
#endif

namespace QVA
{
const ProductInfo& getProductInfo()
{
    static const ProductInfo info{"Ostrel Mark II", "3.0.0", 336};
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
