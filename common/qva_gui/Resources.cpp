#include "Resources.h"

#if OSTREL_HAVE_RESOURCES
#include "CommonBinaryData.h"
#endif

namespace QVA
{
namespace
{
juce::Image decode(const char* data, int size)
{
    if (data == nullptr || size <= 0)
        return {};
    return juce::ImageCache::getFromMemory(data, size);
}
} // namespace

const char* getCommonResource(const char* resourceName, int& dataSizeInBytes)
{
#if OSTREL_HAVE_RESOURCES
    return CommonBinaryData::getNamedResource(resourceName, dataSizeInBytes);
#else
    juce::ignoreUnused(resourceName);
    dataSizeInBytes = 0;
    return nullptr;
#endif
}

juce::Image loadPluginImage(const juce::String& resourceName)
{
    int size = 0;
    const auto* data = getPluginResource(resourceName.toRawUTF8(), size);
    return decode(data, size);
}

juce::Image loadCommonImage(const juce::String& resourceName)
{
    int size = 0;
    const auto* data = getCommonResource(resourceName.toRawUTF8(), size);
    return decode(data, size);
}
} // namespace QVA
