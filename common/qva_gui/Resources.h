#pragma once

#include <juce_graphics/juce_graphics.h>

namespace QVA
{
// The web site and the per-user folder of the maker, shared by every plug-in on this layer.
inline constexpr const char* makerWebSite = "https://quorvane.example";
inline constexpr const char* makerFolderName = "Quorvane";

// What a product tells the shared layer about itself: shown in the About overlay, the information
// report, the preset listings and the manual's name.
struct ProductInfo
{
    const char* displayName;
    const char* version;
    int buildNumber;
};

// Provided by the product's build, next to its own resource table.
const ProductInfo& getProductInfo();

// Looks a resource of the product's table up by its identifier ("KnobGain_png"); sets the size
// and returns the bytes, or sets 0 and returns null for an unknown name. Provided by the product.
const char* getPluginResource(const char* resourceName, int& dataSizeInBytes);

// The same lookup in the shared layer's own table (banner, settings button, fonts).
const char* getCommonResource(const char* resourceName, int& dataSizeInBytes);

// Decodes a picture once per process through the image cache; an unknown name or bytes that do
// not decode give an invalid (empty) image.
juce::Image loadPluginImage(const juce::String& resourceName);
juce::Image loadCommonImage(const juce::String& resourceName);
} // namespace QVA
