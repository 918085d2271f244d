#pragma once

#include <juce_core/juce_core.h>

// The names of the factory programs in the order a host lists them, as users know them.
inline juce::StringArray expectedProgramNames()
{
    return {"Default",
            "Bass Drum",
            "Snare Drum",
            "Toms",
            "Voice",
            "Voice Backings",
            "Bass Shaper",
            "Noisy Snare",
            "Slight Compression",
            "Tone Stabilizer",
            "Hefty 808",
            "Bass Cruiser",
            "Beat Glue",
            "Drum Push",
            "Sustained Key",
            "Vintage Warmth",
            "Sibilant Vox",
            "Acoustic Guitar",
            "Drum Group",
            "Strings",
            "Pump"};
}
