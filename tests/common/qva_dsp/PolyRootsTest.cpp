#include "qva_dsp/PolyRoots.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <string>
#include <vector>

using cd = std::complex<double>;
using QVA::DSP::polyroots;
using QVA::DSP::zp2sos;

namespace
{
struct RootsCase
{
    std::string name;
    std::vector<double> coefficients; // ascending powers
    std::vector<cd> roots;
};

const std::vector<RootsCase> rootsCases = {
    {"linear", {2.0, 4.0}, {-0.5}},
    {"imaginary pair", {2.0, 0.0, 2.0}, {{0.0, 1.0}, {0.0, -1.0}}},
    {"three real", {-6.0, 11.0, -6.0, 1.0}, {1.0, 2.0, 3.0}},
    {"real and complex pair", {5.0, 7.0, 3.0, 1.0}, {-1.0, {-1.0, 2.0}, {-1.0, -2.0}}},
    {"root at the origin", {0.0, 2.0, 3.0, 1.0}, {0.0, -1.0, -2.0}},
    {"quartic", {24.0, -14.0, -13.0, 2.0, 1.0}, {1.0, -2.0, 3.0, -4.0}},
    {"roots over six decades", {1.0, 1001.001, 1001.001, 1.0}, {-1.0e-3, -1.0, -1.0e3}},
};

// Every expected root is matched by a distinct computed root.
void expectSameRoots(const std::vector<cd>& computed, const std::vector<cd>& expected,
                     const std::string& name)
{
    ASSERT_EQ(computed.size(), expected.size()) << name;
    std::vector<bool> used(computed.size(), false);
    for (const auto& root : expected)
    {
        auto best = computed.size();
        for (std::size_t i = 0; i < computed.size(); ++i)
            if (!used[i] &&
                (best == computed.size() || std::abs(computed[i] - root) < std::abs(computed[best] - root)))
                best = i;
        ASSERT_LT(best, computed.size()) << name;
        EXPECT_LT(std::abs(computed[best] - root), 1e-9 * std::max(1.0, std::abs(root)))
            << name << " root " << root;
        used[best] = true;
    }
}

cd evaluate(const std::vector<double>& ascending, cd s)
{
    cd sum = 0.0;
    for (auto c = ascending.rbegin(); c != ascending.rend(); ++c)
        sum = sum * s + *c;
    return sum;
}

cd sectionsResponse(const std::vector<double>& sections, int count, double w)
{
    const auto z1 = std::polar(1.0, -w);
    const auto z2 = z1 * z1;
    cd h = 1.0;
    for (int j = 0; j < count; ++j)
    {
        const auto* c = sections.data() + 5 * j;
        h *= (c[0] + c[1] * z1 + c[3] * z2) / (1.0 + c[2] * z1 + c[4] * z2);
    }
    return h;
}
} // namespace

TEST(PolyRoots, FindsTheRootsOfKnownPolynomials)
{
    for (const auto& c : rootsCases)
    {
        std::vector<cd> roots = {cd{9.0, 9.0}}; // resized by the call
        const auto reciprocal = polyroots(c.coefficients, roots);
        EXPECT_DOUBLE_EQ(reciprocal, 1.0 / c.coefficients.back()) << c.name;
        expectSameRoots(roots, c.roots, c.name);
    }
}

TEST(PolyRoots, FixedSizeCubicGivesTheGeneralSolversRoots)
{
    std::vector<std::vector<double>> cubics;
    for (const auto& c : rootsCases)
        if (c.coefficients.size() == 4)
            cubics.push_back(c.coefficients);
    // Emphasis-like networks: tiny leading coefficients spanning many decades.
    cubics.push_back({1.0, 0.03049, 9.9e-6, 1.0e-13});
    cubics.push_back({0.0, 0.02, 2.97e-5, 9.76e-9});
    std::mt19937 random(7);
    std::uniform_real_distribution<double> uniform(-10.0, 10.0);
    for (int i = 0; i < 200; ++i)
        cubics.push_back({uniform(random), uniform(random), uniform(random), uniform(random) + 20.0});

    for (const auto& c : cubics)
    {
        std::vector<cd> general;
        const auto generalReciprocal = polyroots(c, general);
        std::array<cd, 3> fixed;
        const auto fixedReciprocal = polyroots(std::array<double, 4>{c[0], c[1], c[2], c[3]}, fixed);
        EXPECT_EQ(fixedReciprocal, generalReciprocal);
        ASSERT_EQ(general.size(), 3u);
        for (std::size_t i = 0; i < 3; ++i)
            EXPECT_LE(std::abs(fixed[i] - general[i]), 1e-13 * std::max(1.0, std::abs(general[i])))
                << "root " << i << " of cubic " << c[0] << ", " << c[1] << ", " << c[2] << ", " << c[3];
    }
}

namespace
{
struct AnalogCase
{
    std::string name;
    std::vector<double> numerator; // ascending powers of s
    std::vector<double> denominator;
    double sampleRate;
};

std::vector<double> butterworth3(double w0)
{
    // (1 + s/w0)(1 + s/w0 + (s/w0)^2)
    const auto a = 1.0 / w0;
    return {1.0, 2.0 * a, 2.0 * a * a, a * a * a};
}

const std::vector<AnalogCase> analogCases = {
    {"third-order Butterworth low-pass", {1.0}, butterworth3(2.0 * std::numbers::pi * 3000.0), 96000.0},
    {"first-order high-pass", {0.0, 1.0 / 600.0}, {1.0, 1.0 / 600.0}, 48000.0},
    {"resonant band-pass", {0.0, 1.0e-3}, {1.0, 1.0e-4, 1.0e-7}, 44100.0},
    {"emphasis-like cubic over cubic", {0.0, 0.02, 1.0e-5, 2.0e-14}, {1.0, 0.05, 3.0e-5, 9.0e-13}, 176400.0},
    {"two complex pairs", {1.0, 0.0, 2.0e-8}, {1.0, 4.0e-4, 1.0e-7, 1.0e-11, 1.0e-15}, 192000.0},
    {"low rate, warping point below 1 kHz", {0.0, 1.0e-3, 1.0e-6}, {1.0, 2.0e-3, 1.0e-6}, 1600.0},
};
} // namespace

TEST(Zp2Sos, SectionsMatchTheAnalogPrototypeAtWarpedFrequencies)
{
    for (const auto& c : analogCases)
    {
        std::vector<cd> zeros, poles;
        const auto kn = polyroots(c.numerator, zeros);
        const auto kd = polyroots(c.denominator, poles);
        const auto count = static_cast<int>((std::max(zeros.size(), poles.size()) + 1) / 2);
        std::vector<double> sections(5 * static_cast<std::size_t>(count) + 5, -7.0);
        zp2sos(sections.data(), kn, kd, zeros, poles, c.sampleRate);
        EXPECT_EQ(sections[5 * static_cast<std::size_t>(count)], -7.0)
            << c.name << ": wrote past its sections";

        // s = K (1 - 1/z) / (1 + 1/z) maps e^{jw} to j K tan(w / 2), exact at the matched frequency.
        const auto matched = std::min(1000.0, 0.4975 * c.sampleRate);
        const auto K = 2.0 * std::numbers::pi * matched / std::tan(std::numbers::pi * matched / c.sampleRate);
        for (double f = 5.0; f < 0.45 * c.sampleRate; f *= 1.37)
        {
            const auto w = 2.0 * std::numbers::pi * f / c.sampleRate;
            const auto s = cd{0.0, K * std::tan(w / 2.0)};
            const auto analog = evaluate(c.numerator, s) / evaluate(c.denominator, s);
            const auto digital = sectionsResponse(sections, count, w);
            EXPECT_LT(std::abs(digital - analog), 1e-8 * std::abs(analog) + 1e-14)
                << c.name << " at " << f << " Hz";
        }
    }
}

TEST(Zp2Sos, AllocationFreeVariantWritesTheSameSections)
{
    for (const auto& c : analogCases)
    {
        std::vector<cd> zeros, poles;
        const auto kn = polyroots(c.numerator, zeros);
        const auto kd = polyroots(c.denominator, poles);
        std::vector<double> general(20, 0.0), inPlace(20, 0.0);
        zp2sos(general.data(), kn, kd, zeros, poles, c.sampleRate);
        QVA::DSP::zp2sosInPlace(inPlace.data(), kn, kd, zeros, poles, c.sampleRate);
        EXPECT_EQ(general, inPlace) << c.name;
    }
}
