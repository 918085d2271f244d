#include "PolyRoots.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace QVA::DSP
{
namespace
{
double magnitudeKey(std::complex<double> z) noexcept
{
    if (std::isinf(z.real()) || std::isinf(z.imag()))
        return std::numeric_limits<double>::infinity();
    return z.real() * z.real() + z.imag() * z.imag();
}

// Stable insertion sort by squared magnitude; the lists are tiny and this never allocates.
void sortByMagnitude(std::span<std::complex<double>> roots) noexcept
{
    for (std::size_t i = 1; i < roots.size(); ++i)
    {
        const auto value = roots[i];
        const auto key = magnitudeKey(value);
        auto j = i;
        for (; j > 0 && magnitudeKey(roots[j - 1]) > key; --j)
            roots[j] = roots[j - 1];
        roots[j] = value;
    }
}

// Moves every non-real root, together with the entry after it (its conjugate), ahead of the real roots,
// keeping the sorted order within both groups.
void groupComplexPairsFirst(std::span<std::complex<double>> roots) noexcept
{
    const auto n = roots.size();
    std::size_t placed = 0;
    std::size_t i = 0;
    while (i < n)
    {
        if (roots[i].imag() == 0.0)
        {
            ++i;
            continue;
        }
        const auto take = i + 1 < n ? std::size_t{2} : std::size_t{1};
        std::rotate(roots.begin() + static_cast<std::ptrdiff_t>(placed),
                    roots.begin() + static_cast<std::ptrdiff_t>(i),
                    roots.begin() + static_cast<std::ptrdiff_t>(i + take));
        placed += take;
        i += take;
    }
}

struct Quadratic
{
    double s2 = 0.0, s1 = 0.0, s0 = 0.0;
    int order = 0;
};

// gain * (s - a)(s - b), gain * (s - a) or gain, from the roots 2j and 2j + 1 of the list.
Quadratic sectionPolynomial(std::span<const std::complex<double>> roots, std::size_t section,
                            double gain) noexcept
{
    const auto first = 2 * section;
    if (first + 1 < roots.size())
    {
        const auto a = roots[first];
        const auto b = roots[first + 1];
        return {gain, -gain * (a.real() + b.real()), gain * (a.real() * b.real() - a.imag() * b.imag()), 2};
    }
    if (first < roots.size())
        return {0.0, gain, -gain * roots[first].real(), 1};
    return {0.0, 0.0, gain, 0};
}
} // namespace

double polyroots(const std::vector<double>& coefficients, std::vector<std::complex<double>>& roots)
{
    if (coefficients.empty())
    {
        roots.clear();
        return 0.0;
    }
    const auto n = static_cast<Eigen::Index>(coefficients.size()) - 1;
    const auto leading = coefficients[static_cast<std::size_t>(n)];
    roots.resize(static_cast<std::size_t>(n));
    if (n == 0)
        return 1.0 / leading;

    Eigen::MatrixXd companion = Eigen::MatrixXd::Zero(n, n);
    for (Eigen::Index i = 1; i < n; ++i)
        companion(i, i - 1) = 1.0;
    for (Eigen::Index i = 0; i < n; ++i)
        companion(i, n - 1) = -coefficients[static_cast<std::size_t>(i)] / leading;

    const Eigen::EigenSolver<Eigen::MatrixXd> solver(companion);
    const auto& values = solver.eigenvalues();
    for (Eigen::Index i = 0; i < n; ++i)
        roots[static_cast<std::size_t>(i)] = values[i];
    return 1.0 / leading;
}

double polyroots(const std::array<double, 4>& coefficients,
                 std::array<std::complex<double>, 3>& roots) noexcept
{
    const auto leading = coefficients[3];
    Eigen::Matrix3d companion = Eigen::Matrix3d::Zero();
    companion(1, 0) = 1.0;
    companion(2, 1) = 1.0;
    for (int i = 0; i < 3; ++i)
        companion(i, 2) = -coefficients[static_cast<std::size_t>(i)] / leading;

    const Eigen::EigenSolver<Eigen::Matrix3d> solver(companion);
    const auto& values = solver.eigenvalues();
    for (int i = 0; i < 3; ++i)
        roots[static_cast<std::size_t>(i)] = values[i];
    return 1.0 / leading;
}

void zp2sos(double* sections, double numeratorReciprocal, double denominatorReciprocal,
            std::vector<std::complex<double>> zeros, std::vector<std::complex<double>> poles,
            double sampleRate)
{
    zp2sosInPlace(sections, numeratorReciprocal, denominatorReciprocal, zeros, poles, sampleRate);
}

void zp2sosInPlace(double* sections, double numeratorReciprocal, double denominatorReciprocal,
                   std::span<std::complex<double>> zeros, std::span<std::complex<double>> poles,
                   double sampleRate) noexcept
{
    sortByMagnitude(zeros);
    sortByMagnitude(poles);
    groupComplexPairsFirst(zeros);
    groupComplexPairsFirst(poles);

    const auto numSections = (std::max(zeros.size(), poles.size()) + 1) / 2;
    if (numSections == 0)
        return;

    // The ratio of leading coefficients, shared equally by the sections.
    const auto gain =
        std::pow(denominatorReciprocal / numeratorReciprocal, 1.0 / static_cast<double>(numSections));

    // Bilinear transform with the warping matched at 1 kHz (or just below Nyquist at low rates).
    const auto matched = std::min(1000.0, 0.4975 * sampleRate);
    const auto K = 2.0 * std::numbers::pi * matched / std::tan(std::numbers::pi * matched / sampleRate);
    const auto K2 = K * K;

    for (std::size_t j = 0; j < numSections; ++j)
    {
        const auto N = sectionPolynomial(zeros, j, gain);
        const auto D = sectionPolynomial(poles, j, 1.0);
        double b0, b1, b2, a0, a1, a2;
        if (N.order == 0 && D.order == 0)
        {
            b0 = gain;
            b1 = b2 = a1 = a2 = 0.0;
            a0 = 1.0;
        }
        else if (N.order <= 1 && D.order <= 1)
        {
            b0 = N.s1 * K + N.s0;
            b1 = N.s0 - N.s1 * K;
            b2 = 0.0;
            a0 = D.s1 * K + D.s0;
            a1 = D.s0 - D.s1 * K;
            a2 = 0.0;
        }
        else
        {
            b0 = N.s2 * K2 + N.s1 * K + N.s0;
            b1 = 2.0 * (N.s0 - N.s2 * K2);
            b2 = N.s2 * K2 - N.s1 * K + N.s0;
            a0 = D.s2 * K2 + D.s1 * K + D.s0;
            a1 = 2.0 * (D.s0 - D.s2 * K2);
            a2 = D.s2 * K2 - D.s1 * K + D.s0;
        }
        auto* section = sections + 5 * j;
        section[0] = b0 / a0;
        section[1] = b1 / a0;
        section[2] = a1 / a0;
        section[3] = b2 / a0;
        section[4] = a2 / a0;
    }
}
} // namespace QVA::DSP
