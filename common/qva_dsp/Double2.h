#pragma once

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define QVA_DSP_DOUBLE2_SSE2 1
#endif

namespace QVA::DSP
{
// Two lanes of doubles with plain IEEE operations (no fused multiply-add), so a lane gives exactly
// what the same scalar expression gives. SSE2 where available, otherwise a pair of scalars.
struct Double2
{
#ifdef QVA_DSP_DOUBLE2_SSE2
    __m128d v;

    static Double2 load(const double* p) noexcept
    {
        return {_mm_loadu_pd(p)};
    }
    static Double2 broadcast(double x) noexcept
    {
        return {_mm_set1_pd(x)};
    }
    static Double2 of(double lane0, double lane1) noexcept
    {
        return {_mm_set_pd(lane1, lane0)};
    }
    void store(double* p) const noexcept
    {
        _mm_storeu_pd(p, v);
    }
    double lane0() const noexcept
    {
        return _mm_cvtsd_f64(v);
    }
    double lane1() const noexcept
    {
        return _mm_cvtsd_f64(_mm_unpackhi_pd(v, v));
    }

    friend Double2 operator+(Double2 a, Double2 b) noexcept
    {
        return {_mm_add_pd(a.v, b.v)};
    }
    friend Double2 operator-(Double2 a, Double2 b) noexcept
    {
        return {_mm_sub_pd(a.v, b.v)};
    }
    friend Double2 operator*(Double2 a, Double2 b) noexcept
    {
        return {_mm_mul_pd(a.v, b.v)};
    }
    friend Double2 operator/(Double2 a, Double2 b) noexcept
    {
        return {_mm_div_pd(a.v, b.v)};
    }
    // b where a is NaN, as the SSE instructions define it.
    friend Double2 max(Double2 a, Double2 b) noexcept
    {
        return {_mm_max_pd(a.v, b.v)};
    }
    friend Double2 min(Double2 a, Double2 b) noexcept
    {
        return {_mm_min_pd(a.v, b.v)};
    }

    // Truncated to integers, and those integers back as doubles.
    void truncate(int& i0, int& i1, Double2& whole) const noexcept
    {
        const auto i = _mm_cvttpd_epi32(v);
        i0 = _mm_cvtsi128_si32(i);
        i1 = _mm_cvtsi128_si32(_mm_shuffle_epi32(i, 1));
        whole.v = _mm_cvtepi32_pd(i);
    }
#else
    double a, b;

    static Double2 load(const double* p) noexcept
    {
        return {p[0], p[1]};
    }
    static Double2 broadcast(double x) noexcept
    {
        return {x, x};
    }
    static Double2 of(double lane0, double lane1) noexcept
    {
        return {lane0, lane1};
    }
    void store(double* p) const noexcept
    {
        p[0] = a;
        p[1] = b;
    }
    double lane0() const noexcept
    {
        return a;
    }
    double lane1() const noexcept
    {
        return b;
    }

    friend Double2 operator+(Double2 x, Double2 y) noexcept
    {
        return {x.a + y.a, x.b + y.b};
    }
    friend Double2 operator-(Double2 x, Double2 y) noexcept
    {
        return {x.a - y.a, x.b - y.b};
    }
    friend Double2 operator*(Double2 x, Double2 y) noexcept
    {
        return {x.a * y.a, x.b * y.b};
    }
    friend Double2 operator/(Double2 x, Double2 y) noexcept
    {
        return {x.a / y.a, x.b / y.b};
    }
    friend Double2 max(Double2 x, Double2 y) noexcept
    {
        return {x.a > y.a ? x.a : y.a, x.b > y.b ? x.b : y.b};
    }
    friend Double2 min(Double2 x, Double2 y) noexcept
    {
        return {x.a < y.a ? x.a : y.a, x.b < y.b ? x.b : y.b};
    }

    void truncate(int& i0, int& i1, Double2& whole) const noexcept
    {
        i0 = static_cast<int>(a);
        i1 = static_cast<int>(b);
        whole = {static_cast<double>(i0), static_cast<double>(i1)};
    }
#endif
};
} // namespace QVA::DSP
