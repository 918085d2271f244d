#pragma once

#include <array>
#include <complex>
#include <span>
#include <vector>

namespace QVA::DSP
{
// Roots of c[0] + c[1] s + ... + c[n] s^n (c[n] != 0) as the eigenvalues of the companion matrix
// (ones on the sub-diagonal, last column -c[i] / c[n]), in the eigen solver's order. Resizes `roots`
// to n and returns 1 / c[n].
double polyroots(const std::vector<double>& coefficients, std::vector<std::complex<double>>& roots);

// The same for a cubic, with a fixed-size solver: no heap allocation, so it may run on the audio thread.
double polyroots(const std::array<double, 4>& coefficients,
                 std::array<std::complex<double>, 3>& roots) noexcept;

// Second-order sections (b0, b1, a1, b2, a2 each, normalised by a0) of the analog filter
//   H(s) = (1 / numeratorReciprocal) prod(s - zeros) / ((1 / denominatorReciprocal) prod(s - poles)),
// bilinear-transformed at `sampleRate` with the frequency warping matched at 1 kHz. Roots are grouped by
// ascending magnitude, complex pairs first; a section with at most one zero and one pole is first order
// (b2 = a2 = 0). Writes (max(zeros, poles) + 1) / 2 sections.
void zp2sos(double* sections, double numeratorReciprocal, double denominatorReciprocal,
            std::vector<std::complex<double>> zeros, std::vector<std::complex<double>> poles,
            double sampleRate);

// The same without allocating: sorts and groups the given roots in place.
void zp2sosInPlace(double* sections, double numeratorReciprocal, double denominatorReciprocal,
                   std::span<std::complex<double>> zeros, std::span<std::complex<double>> poles,
                   double sampleRate) noexcept;
} // namespace QVA::DSP
