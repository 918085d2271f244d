#pragma once

#include <array>

// Filter designs and the tube-table lookup shared by the engine and its tests.
namespace QVA::OstrelMkII
{
// First-order bilinear section, transposed direct form: y = b0 x + s; s = b1 x - a1 y.
struct FirstOrder
{
    double b0 = 1.0, b1 = 0.0, a1 = 0.0;

    double process(double x, double& state) const noexcept
    {
        const auto y = b0 * x + state;
        state = b1 * x - a1 * y;
        return y;
    }
};

// Biquad, transposed direct form II, coefficients in the order b0, b1, a1, b2, a2.
struct Biquad
{
    double b0 = 1.0, b1 = 0.0, a1 = 0.0, b2 = 0.0, a2 = 0.0;
};

// Corner frequencies are limited to 0.995 of Nyquist.
FirstOrder highPass(double hz, double rate) noexcept;
FirstOrder lowPass(double hz, double rate) noexcept;

// Second-order low-pass at 2 Hz, Q 0.45, that gives the VU needle its ballistics.
Biquad needleLowPass(double rate) noexcept;

// 4 below 50 kHz, 2 below 100 kHz, else 1.
int oversamplingFactorFor(double sampleRate) noexcept;

// Linear-phase interpolation and decimation filters of order 32 * factor (Dolph-Chebyshev window,
// cut-off 0.95 of the base-rate Nyquist). Each filter delays by 16 base-rate samples.
struct OversamplingFilters
{
    static constexpr int maxFactor = 4;
    static constexpr int historyLength = 33;
    static constexpr int maxOrder = 32 * maxFactor;

    int factor = 1;
    int order = 32;
    // up[j][l] = hUp(factor * l + j): polyphase interpolator, phase j, tap l on the base-rate history.
    std::array<std::array<double, historyLength>, maxFactor> up{};
    std::array<double, maxOrder + 1> down{};
};

OversamplingFilters designOversamplingFilters(int factor) noexcept;

// Linear interpolation in a tube table: element 0 holds the input scale, elements 1..2048 the curve
// over u in [0, 1]; u is clamped to that range.
inline double tubeLookup(const double* table, double u) noexcept
{
    const auto* curve = table + 1;
    const auto p = u > 1.0 ? 2047.0 : (u > 0.0 ? 2047.0 * u : 0.0);
    const auto i = static_cast<int>(p);
    const auto k = (i < 2046 ? i : 2046) + 1;
    return curve[i] + (curve[k] - curve[i]) * (p - i);
}
} // namespace QVA::OstrelMkII
