#include "OstrelMkIITubeCurves.h"

#include "OstrelMkIITubeTables.h"

namespace QVA::OstrelMkII
{
namespace
{
void build(TubeCurve& curve, const double* table) noexcept
{
    const auto* samples = table + 1;
    for (int i = 0; i < tubeCurveSamples; ++i)
    {
        const auto k = (i < 2046 ? i : 2046) + 1;
        curve.points[static_cast<std::size_t>(i)] = {samples[i], samples[k] - samples[i]};
    }
}
} // namespace

const TubeCurves& tubeCurves() noexcept
{
    // Static storage, filled in place once (160 kB: too much for a temporary on the stack).
    static TubeCurves curves;
    static const bool built = []
    {
        build(curves.audioTriode1, OstrelmkIIAUDIOTRIODE1);
        build(curves.audioTriode2, OstrelmkIIAUDIOTRIODE2);
        build(curves.driver, OstrelmkIIAUDIODRIVERWCF);
        build(curves.sidechainTriode, OstrelmkIISCTRIODES);
        build(curves.pentode, OstrelmkIISCPENTODE);
        return true;
    }();
    (void)built;
    return curves;
}
} // namespace QVA::OstrelMkII
