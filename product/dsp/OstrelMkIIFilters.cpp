#include "OstrelMkIIFilters.h"

#include "OstrelMkIIConstants.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace QVA::OstrelMkII
{
namespace
{
constexpr double pi = std::numbers::pi;

struct Warp
{
    double s, c, d;
};

Warp warp(double hz, double rate) noexcept
{
    const auto w = 2.0 * pi * std::min(hz, 0.4975 * rate) / rate;
    const auto s = std::sin(w);
    const auto c = std::cos(w);
    return {s, c, 1.0 + s + c};
}

double sinc(double t) noexcept
{
    return std::abs(t) <= 2.220446049250313e-16 ? 1.0 : std::sin(t) / t;
}

// Chebyshev polynomial of degree n, valid outside [-1, 1] through cosh.
double chebyshev(int n, double x) noexcept
{
    return std::abs(x) <= 1.0 ? std::cos(n * std::acos(x)) : std::cosh(n * std::acosh(x));
}
} // namespace

FirstOrder highPass(double hz, double rate) noexcept
{
    const auto [s, c, d] = warp(hz, rate);
    return {(1.0 + c) / d, -(1.0 + c) / d, (s - 1.0 - c) / d};
}

FirstOrder lowPass(double hz, double rate) noexcept
{
    const auto [s, c, d] = warp(hz, rate);
    return {s / d, s / d, (s - 1.0 - c) / d};
}

Biquad needleLowPass(double rate) noexcept
{
    const auto w = 2.0 * pi * std::min(needleCutoffHz, 0.4975 * rate) / rate;
    const auto c = std::cos(w);
    const auto alpha = std::sin(w) / needleTwoQ;
    const auto a0 = 1.0 + alpha;
    return {(1.0 - c) / 2.0 / a0, (1.0 - c) / a0, -2.0 * c / a0, (1.0 - c) / 2.0 / a0, (1.0 - alpha) / a0};
}

int oversamplingFactorFor(double sampleRate) noexcept
{
    if (sampleRate < 50000.0)
        return 4;
    if (sampleRate < 100000.0)
        return 2;
    return 1;
}

OversamplingFilters designOversamplingFilters(int factor) noexcept
{
    OversamplingFilters f;
    f.factor = std::clamp(factor, 1, OversamplingFilters::maxFactor);
    const auto D = 32 * f.factor;
    const auto M = 16 * f.factor;
    f.order = D;
    const auto wc = f.factor == 1 ? pi : oversampledCutoff / f.factor;

    // Dolph-Chebyshev window (72 dB side lobes) from its frequency samples, normalised to 1 at the centre.
    const auto x0 = std::cosh(std::acosh(chebyshevRipple) / D);
    std::array<double, OversamplingFilters::maxOrder / 2 + 1> lobes{};
    double lobeSum = 0.0;
    for (int k = 1; k <= M; ++k)
    {
        lobes[static_cast<std::size_t>(k)] = chebyshev(D, x0 * std::cos(k * pi / (D + 1)));
        lobeSum += lobes[static_cast<std::size_t>(k)];
    }
    const auto B = 1.0 + chebyshevWeight * lobeSum;
    std::array<double, OversamplingFilters::maxOrder + 1> window{};
    for (int n = 0; n <= D; ++n)
    {
        double sum = 0.0;
        for (int k = 1; k <= M; ++k)
            sum += lobes[static_cast<std::size_t>(k)] * std::cos(2.0 * pi * k * (n - M) / (D + 1));
        window[static_cast<std::size_t>(n)] = (1.0 + chebyshevWeight * sum) / B;
    }

    const auto hUp = [&](int n) {
        return n <= D ? (f.factor * wc / pi) * sinc(wc * (n - M)) * window[static_cast<std::size_t>(n)] : 0.0;
    };
    for (int j = 0; j < f.factor; ++j)
        for (int l = 0; l < OversamplingFilters::historyLength; ++l)
            f.up[static_cast<std::size_t>(j)][static_cast<std::size_t>(l)] = hUp(f.factor * l + j);
    for (int n = 0; n <= D; ++n)
        f.down[static_cast<std::size_t>(n)] =
            (wc / pi) * sinc(wc * (n - M)) * window[static_cast<std::size_t>(n)];
    return f;
}
} // namespace QVA::OstrelMkII
