#pragma once

#include <array>

// The factory programs. Power is on, the VU shows gain reduction and the external key is off in
// every program; the other seven values are normalised (Mode 0/1, Cell Select 0/0.5/1).
namespace OstrelMkIIPrograms
{
struct FactoryProgram
{
    const char* name;
    float peakRec;
    float gain;
    float mode;
    float emphasis;
    float cellSelect;
    float makeup;
    float mix;
};

inline constexpr float compress = 0.0f;
inline constexpr float limit = 1.0f;
inline constexpr float cellA = 0.0f;
inline constexpr float cellB = 0.5f;
inline constexpr float cellC = 1.0f;

inline constexpr std::array<FactoryProgram, 21> factoryPrograms{{
    {"Default", 0.0f, 0.25f, compress, 0.8f, cellA, 0.5f, 1.0f},
    {"Bass Drum", 0.557951f, 0.45091f, compress, 0.8f, cellA, 0.5f, 1.0f},
    {"Snare Drum", 0.516643f, 0.506638f, compress, 0.8f, cellA, 0.5f, 1.0f},
    {"Toms", 0.615504f, 0.513076f, compress, 0.8f, cellA, 0.5f, 1.0f},
    {"Voice", 0.603269f, 0.507321f, compress, 0.8f, cellA, 0.5f, 1.0f},
    {"Voice Backings", 0.808919f, 0.605934f, limit, 0.8f, cellA, 0.5f, 1.0f},
    {"Bass Shaper", 0.516188f, 0.404203f, limit, 0.8f, cellA, 0.5f, 1.0f},
    {"Noisy Snare", 0.757334f, 0.659244f, compress, 0.8f, cellA, 0.5f, 1.0f},
    {"Slight Compression", 0.297034f, 0.412943f, compress, 0.8f, cellA, 0.5f, 1.0f},
    {"Tone Stabilizer", 0.506505f, 0.453981f, limit, 0.8f, cellA, 0.5f, 1.0f},
    {"Hefty 808", 0.098633f, 0.579687f, limit, 0.331623f, cellA, 0.333967f, 0.398224f},
    {"Bass Cruiser", 0.699379f, 0.517312f, compress, 1.0f, cellB, 0.57184f, 0.803587f},
    {"Beat Glue", 0.198952f, 0.206552f, limit, 0.353018f, cellB, 0.60506f, 0.598881f},
    {"Drum Push", 0.37619f, 0.402131f, compress, 0.148864f, cellB, 0.481534f, 1.0f},
    {"Sustained Key", 0.854776f, 0.601669f, compress, 1.0f, cellB, 0.514336f, 1.0f},
    {"Vintage Warmth", 0.808825f, 0.652273f, compress, 0.784659f, cellA, 0.333334f, 0.519815f},
    {"Sibilant Vox", 0.493519f, 0.326207f, compress, 0.50087f, cellC, 0.5f, 1.0f},
    {"Acoustic Guitar", 0.493519f, 0.326207f, compress, 0.916655f, cellC, 0.5f, 1.0f},
    {"Drum Group", 0.62017f, 0.326207f, compress, 1.0f, cellC, 0.5f, 1.0f},
    {"Strings", 0.508594f, 0.26527f, compress, 1.0f, cellC, 0.5f, 1.0f},
    {"Pump", 1.0f, 1.0f, compress, 1.0f, cellA, 0.333807f, 0.156001f},
}};
} // namespace OstrelMkIIPrograms
