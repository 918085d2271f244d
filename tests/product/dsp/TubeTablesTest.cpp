// The five tube transfer curves: the fixed samples they are built through, their input scales, their
// direction, and the quiescent points the engine's reset state relies on.
#include "OstrelMkIITubeTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace
{
struct FixedSample
{
    int sample;   // curve sample index, 0..2047 (table element sample + 1)
    double value; // volts
    int digits;   // significant digits the value is given to
};

struct CurveCase
{
    const char* name;
    const double* table;
    double scale;
    bool rising;
    std::vector<FixedSample> fixed;
};

void PrintTo(const CurveCase& c, std::ostream* os)
{
    *os << c.name;
}

// Every 256th sample (10 significant digits) plus first, middle and last at full given precision.
std::vector<FixedSample> samples(const std::array<double, 9>& rows, double first, int firstDigits,
                                 double middle, int middleDigits, double last, int lastDigits)
{
    std::vector<FixedSample> out;
    const int positions[] = {0, 256, 512, 768, 1024, 1280, 1536, 1792, 2047};
    for (std::size_t i = 0; i < rows.size(); ++i)
        out.push_back({positions[i], rows[i], 10});
    out.push_back({0, first, firstDigits});
    out.push_back({1023, middle, middleDigits});
    out.push_back({2047, last, lastDigits});
    return out;
}

const CurveCase curveCases[] = {
    {"AudioTriode1", QVA::OstrelmkIIAUDIOTRIODE1, 0.0555555556, false,
     samples({205, 204.9999995, 204.9948993, 191.6858578, 102.3988554, 11.61171998, 4.596530702, 3.541103155,
              3.254668874},
             204.9999999999, 13, 102.8240158788, 13, 3.254668874, 10)},
    {"AudioTriode2", QVA::OstrelmkIIAUDIOTRIODE2, 0.0555555556, false,
     samples({205, 204.9999995, 204.9948999, 193.2407275, 123.6200884, 36.9577875, 7.11718627, 4.779177589,
              4.012262559},
             204.9999999999, 13, 123.9429019884, 13, 4.0122625588, 11)},
    {"Driver", QVA::OstrelmkIIAUDIODRIVERWCF, 0.0036363636, true,
     samples({10.24348492, 42.7097377, 75.24557539, 107.8492099, 140.5294797, 173.2954194, 206.1442357,
              238.9548421, 267.8108308},
             10.2434849184, 12, 140.4016606033, 13, 267.8108308309, 13)},
    {"SidechainTriode", QVA::OstrelmkIISCTRIODES, 0.0714285714, false,
     samples({274.9992063, 274.8375639, 259.6758291, 174.4353063, 39.80290106, 4.145115959, 2.153345524,
              1.500215278, 1.250436775},
             274.9992063088, 13, 40.350591701, 11, 1.2504367753, 11)},
    {"SidechainPentode", QVA::OstrelmkIISCPENTODE, 0.025, false,
     samples({274.9998739, 274.9811613, 272.2801804, 128.1490936, 10.37461734, 4.833615235, 3.062363771,
              2.200698737, 1.698570036},
             274.9998738601, 13, 10.4194841027, 12, 1.698570036, 10)},
};

class TubeCurve : public ::testing::TestWithParam<CurveCase>
{
};

TEST_P(TubeCurve, ElementZeroIsTheInputScale)
{
    EXPECT_EQ(GetParam().table[0], GetParam().scale);
}

TEST_P(TubeCurve, PassesThroughEveryFixedSampleToTheDigitsGiven)
{
    const auto& c = GetParam();
    for (const auto& f : c.fixed)
    {
        // Half a unit in the last given digit: the curve value must round to the given one.
        const double halfUnit =
            0.5 * std::pow(10.0, std::floor(std::log10(std::fabs(f.value))) + 1 - f.digits);
        const double curve = c.table[f.sample + 1];
        EXPECT_LE(std::fabs(curve - f.value), halfUnit * (1.0 + 1e-9))
            << "sample " << f.sample << ": " << curve << " vs " << f.value;
    }
}

TEST_P(TubeCurve, IsStrictlyMonotoneInItsDirection)
{
    const auto& c = GetParam();
    for (int j = 1; j < QVA::tubeCurveSamples; ++j)
    {
        const double step = c.table[j + 1] - c.table[j];
        ASSERT_TRUE(c.rising ? step > 0.0 : step < 0.0) << "between samples " << j - 1 << " and " << j;
    }
}

INSTANTIATE_TEST_SUITE_P(AllTables, TubeCurve, ::testing::ValuesIn(curveCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The engine's table read: clamped drive, linear between neighbouring samples.
double lookup(const double* table, double u)
{
    const double p = u > 1.0 ? 2047.0 : 2047.0 * std::max(u, 0.0);
    const int i = static_cast<int>(p);
    const int k = std::min(i, 2046) + 1;
    return table[i + 1] + (table[k + 1] - table[i + 1]) * (p - i);
}

// With no signal the engine starts from these states; each must be a steady state of its stage,
// so the curve read at the stage's resting input has to give back the resting output.
struct RestCase
{
    const char* name;
    const double* table;
    double input;  // table input u at rest
    double output; // curve value that keeps the state where it is
};

void PrintTo(const RestCase& c, std::ostream* os)
{
    *os << c.name;
}

constexpr double driverOutput = 201.6684667897521;            // stage-3 output z, fed back as its input
constexpr double sidechainTriodeCathode = 0.7764993257808589; // a = (275 - e) / 220 at rest
constexpr double pentodeCathode = 5.449111552911088;          // P = (275 - q) * 0.047 at rest

const RestCase restCases[] = {
    {"Driver", QVA::OstrelmkIIAUDIODRIVERWCF, driverOutput * 0.0036363636, driverOutput},
    {"SidechainTriode", QVA::OstrelmkIISCTRIODES, (0.0 - sidechainTriodeCathode) * 0.0714285714 + 0.5,
     275.0 - 220.0 * sidechainTriodeCathode},
    {"SidechainPentode", QVA::OstrelmkIISCPENTODE, (0.0 - pentodeCathode) * 0.025 + 0.5,
     275.0 - pentodeCathode / 0.047},
};

class TubeRest : public ::testing::TestWithParam<RestCase>
{
};

TEST_P(TubeRest, RestingInputGivesTheRestingOutput)
{
    const auto& c = GetParam();
    EXPECT_NEAR(lookup(c.table, c.input), c.output, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(QuiescentStages, TubeRest, ::testing::ValuesIn(restCases),
                         [](const auto& info) { return std::string(info.param.name); });
} // namespace
