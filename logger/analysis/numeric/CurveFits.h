#pragma once

// Curve fits on float series. Every routine fits the points [start, end) of x and y (arrays of n
// floats), writes the fitted model at all n indexes of `fit` (so the curve is drawn over the whole
// series), fills `result` (at least kFitResultLength floats) and returns the number of floats
// written, or a status code of FitResult.h. On a too-few-points status neither output is touched.

#include "logger/analysis/numeric/FitResult.h"

namespace numeric {

// y = A*x + B. Result: N, A, B, SE(A), SE(B), r^2; returns 6.
int FitLinear(int start, int end, int n, const float* x, const float* y, float* fit, float* result);

// y = A*exp(B*x), least squares of ln y weighted by y over the points with y > 0.
// Result: N, A, B, Sb, Sa, r^2; returns 6.
int FitExponential(int start, int end, int n, const float* x, const float* y, float* fit, float* result);

// y = A*x^B, a line through (ln x, ln y) over the points with x > 0 and y > 0.
// Result: N, A, B, Sa, Sb, r^2; returns 6.
int FitPower(int start, int end, int n, const float* x, const float* y, float* fit, float* result);

// y = A + B*ln x over the points with x > 0; the curve uses ln(1e-10) where x is 0.
// Result: N, A, B, r^2, rms; returns 5.
int FitLogarithmic(int start, int end, int n, const float* x, const float* y, float* fit, float* result);

// y = c0 + c1*x + ... + c_order*x^order by orthogonal polynomials, order 0..13.
// Result: N, order, r^2, rms, c0 .. c_order; returns 5 + order.
int FitPolynomial(int start, int end, int n, int order, const float* x, const float* y, float* fit, float* result);

// y = A*x^2 + B*x + C. Result: N, A, B, C, r^2, rms, A; returns 7.
int FitQuadratic(int start, int end, int n, const float* x, const float* y, float* fit, float* result);

// y = A*exp(B*(x - x0)) + C with x0 = x[start], from one-shot estimates; reads y[end], so
// end < n. Result: N, A, B, C, r^2, rms; returns 6.
int FitExponentialOffset(int start, int end, int n, const float* x, const float* y, float* fit, float* result);

// y = A*exp(B*x - C) + D, the same fit with the shift folded into C; end < n.
// Result: N, A, B, C, D, r^2, rms; returns 7.
int FitExponentialShift(int start, int end, int n, const float* x, const float* y, float* fit, float* result);

// y = cos(w*(x - x0)) * (A*exp(B*(x - x0)) + C) + m from the first 100 peaks (at least 10);
// x0 is the first peak; reads y[end], so end < n. Result: k, f0, f, gamma, Q, W, K, m, r^2, rms,
// A, B, C; returns 13.
int FitDampedOscillation(int start, int end, int n, const float* x, const float* y, float* fit, float* result);

} // namespace numeric
