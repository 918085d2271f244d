#pragma once

#include "qva_dsp/Double2.h"

#include <array>

namespace QVA::OstrelMkII
{
// A tube table laid out for the audio loop: each curve sample next to the step to the following one,
// so one lookup reads one pair. Gives exactly what tubeLookup gives on the original table.
struct TubeCurve
{
    std::array<std::array<double, 2>, 2048> points;

    double operator()(double u) const noexcept
    {
        const auto p = u > 1.0 ? 2047.0 : (u > 0.0 ? 2047.0 * u : 0.0);
        const auto i = static_cast<int>(p);
        const auto& point = points[static_cast<std::size_t>(i)];
        return point[0] + point[1] * (p - i);
    }

    // Two lookups at once.
    DSP::Double2 operator()(DSP::Double2 u) const noexcept
    {
        const auto p = min(max(u * DSP::Double2::broadcast(2047.0), DSP::Double2::broadcast(0.0)),
                           DSP::Double2::broadcast(2047.0));
        int i0 = 0, i1 = 0;
        DSP::Double2 whole;
        p.truncate(i0, i1, whole);
        const auto& a = points[static_cast<std::size_t>(i0)];
        const auto& b = points[static_cast<std::size_t>(i1)];
        return DSP::Double2::of(a[0], b[0]) + DSP::Double2::of(a[1], b[1]) * (p - whole);
    }
};

struct TubeCurves
{
    TubeCurve audioTriode1, audioTriode2, driver, sidechainTriode, pentode;
};

// Built from the tube tables on first use.
const TubeCurves& tubeCurves() noexcept;
} // namespace QVA::OstrelMkII
