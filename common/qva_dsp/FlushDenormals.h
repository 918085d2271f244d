#pragma once

#if defined(__SSE__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 1)
#include <xmmintrin.h>
#define QVA_DSP_HAS_MXCSR 1
#endif

namespace QVA::DSP
{
// Sets flush-to-zero and denormals-are-zero for the current scope and restores the previous mode on
// exit. Decaying filter and flux states would otherwise fall into the slow denormal range. No-op on
// targets without an SSE control register.
class ScopedFlushDenormals
{
public:
    ScopedFlushDenormals() noexcept
    {
#ifdef QVA_DSP_HAS_MXCSR
        previous = _mm_getcsr();
        _mm_setcsr(previous | flushToZeroBit | denormalsAreZeroBit);
#endif
    }

    ~ScopedFlushDenormals()
    {
#ifdef QVA_DSP_HAS_MXCSR
        _mm_setcsr(previous);
#endif
    }

    ScopedFlushDenormals(const ScopedFlushDenormals&) = delete;
    ScopedFlushDenormals& operator=(const ScopedFlushDenormals&) = delete;

private:
#ifdef QVA_DSP_HAS_MXCSR
    static constexpr unsigned int flushToZeroBit = 0x8000;
    static constexpr unsigned int denormalsAreZeroBit = 0x0040;
    unsigned int previous = 0;
#endif
};
} // namespace QVA::DSP
