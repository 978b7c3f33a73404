#pragma once

// Curve fits on float series. Every routine fits the points [start, end) of x and y (arrays of n
// floats), writes the fitted model at all n indexes of `fit` (so the curve is drawn over the whole
// series), fills `result` (at least kFitResultLength floats) and returns the number of floats
// written, or a status code of FitResult.h. On a too-few-points status neither output is touched.
// Each routine's result slots are named in the struct after it.

#include "numeric/FitResult.h"

namespace numeric {

// y = A*x + B. Result: N, A, B, SE(A), SE(B), r^2; returns 6.
int FitLinear(int start, int end, int n, const float* x, const float* y, float* fit, float* result);
struct LinearResult {
    enum : int { kCount, kA, kB, kErrorA, kErrorB, kR2 };
};

// y = A*exp(B*x), least squares of ln y weighted by y over the points with y > 0.
// Result: N, A, B, Sb, Sa, r^2; returns 6.
int FitExponential(int start, int end, int n, const float* x, const float* y, float* fit, float* result);
struct ExponentialResult {
    enum : int { kCount, kA, kB, kErrorB, kErrorA, kR2 };
};

// y = A*x^B, a line through (ln x, ln y) over the points with x > 0 and y > 0.
// Result: N, A, B, Sa, Sb, r^2; returns 6.
int FitPower(int start, int end, int n, const float* x, const float* y, float* fit, float* result);
struct PowerResult {
    enum : int { kCount, kA, kB, kErrorA, kErrorB, kR2 };
};

// y = A + B*ln x over the points with x > 0; the curve uses ln(1e-10) where x is 0.
// Result: N, A, B, r^2, rms; returns 5.
int FitLogarithmic(int start, int end, int n, const float* x, const float* y, float* fit, float* result);
struct LogarithmicResult {
    enum : int { kCount, kA, kB, kR2, kRms };
};

inline constexpr int kMaxPolynomialOrder = 13;
// y = c0 + c1*x + ... + c_order*x^order by orthogonal polynomials, order 0..kMaxPolynomialOrder.
// Result: N, order, r^2, rms, c0 .. c_order; returns 5 + order.
int FitPolynomial(int start, int end, int n, int order, const float* x, const float* y, float* fit, float* result);
// c0 .. c_order follow one another from kC0 on.
struct PolynomialResult {
    enum : int { kCount, kOrder, kR2, kRms, kC0 };
};

// y = A*x^2 + B*x + C. Result: N, A, B, C, r^2, rms, A; returns 7.
int FitQuadratic(int start, int end, int n, const float* x, const float* y, float* fit, float* result);
// kLeadingA repeats A.
struct QuadraticResult {
    enum : int { kCount, kA, kB, kC, kR2, kRms, kLeadingA };
};

// y = A*exp(B*(x - x0)) + C with x0 = x[start], from one-shot estimates; reads y[end], so
// end < n. Result: N, A, B, C, r^2, rms; returns 6.
int FitExponentialOffset(int start, int end, int n, const float* x, const float* y, float* fit, float* result);
struct ExponentialOffsetResult {
    enum : int { kCount, kA, kB, kC, kR2, kRms };
};

// y = A*exp(B*x - C) + D, the same fit with the shift folded into C; end < n.
// Result: N, A, B, C, D, r^2, rms; returns 7.
int FitExponentialShift(int start, int end, int n, const float* x, const float* y, float* fit, float* result);
struct ExponentialShiftResult {
    enum : int { kCount, kA, kB, kC, kD, kR2, kRms };
};

// y = cos(w*(x - x0)) * (A*exp(B*(x - x0)) + C) + m from the first 100 peaks (at least 10);
// x0 is the first peak; reads y[end], so end < n. Result: k, f0, f, gamma, Q, W, K, m, r^2, rms,
// A, B, C; returns 13.
int FitDampedOscillation(int start, int end, int n, const float* x, const float* y, float* fit, float* result);
// f0 the natural frequency, f the oscillation's, gamma the damping, Q the quality factor,
// W = w0^2 - gamma^2, K the estimate from the peaks, m the centre line.
struct DampedOscillationResult {
    enum : int { kPeaks, kNaturalFrequency, kFrequency, kDamping, kQuality, kW, kK, kCentreLine, kR2, kRms, kA,
                 kB, kC };
};

} // namespace numeric
