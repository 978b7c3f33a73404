#include "numeric/CurveFits.h"

#include "numeric/FitSupport.h"

#include <array>
#include <memory>
#include <new>
#include <utility>

namespace numeric {

namespace {

// The recurrence and coefficient tables hold the highest order with p(-1) and p(k+1).
using Table = std::array<double, kMaxPolynomialOrder + 2>;

double Quotient(double numerator, double divisor) { return divisor == 0 ? 0.0 : numerator / divisor; }

} // namespace

int FitPolynomial(int start, int end, int n, int order, const float* x, const float* y, float* fit, float* result)
{
    const int count = RangeCount(start, end);
    if (count < 3)
        return TooFewPoints(3, count);
    if (order < 0 || order > kMaxPolynomialOrder)
        return kStatusZeroDenominator;
    if (count <= order)
        return TooFewPoints(order + 1, count);
    if (!detail::RangeInside(start, end, n))
        return kStatusNoResult;

    // Least squares by polynomials orthogonal over the points of the range (unit weights):
    // p(k+1) = (x - alpha_k)*p(k) - beta_k*p(k-1). Only p(k-1) and p(k) are needed for the next
    // one, so two rolling arrays replace a table of every p(k); p(k+1) overwrites p(k-1).
    std::unique_ptr<double[]> work(new (std::nothrow) double[2 * static_cast<std::size_t>(count)]);
    if (!work)
        return kStatusNoResult;
    double* current = work.get();         // p(k)
    double* previous = work.get() + count; // p(k-1)

    Table alpha{}, beta{}, b{};
    double sy = 0, sx = 0;
    for (int i = 0; i < count; ++i) {
        current[i] = 1.0;
        previous[i] = 0.0;
        sy += y[start + i];
        sx += x[start + i];
    }
    double norm = count; // P(k) = sum of p(k)^2
    b[0] = sy / norm;
    alpha[0] = sx / norm;

    for (int k = 1; k <= order; ++k) {
        const double a = alpha[k - 1];
        const double bt = beta[k - 1];
        double pp = 0, syp = 0, sxpp = 0;
        for (int i = 0; i < count; ++i) {
            const double xi = x[start + i];
            const double p = (xi - a) * current[i] - bt * previous[i];
            previous[i] = p;
            const double p2 = p * p;
            pp += p2;
            syp += static_cast<double>(y[start + i]) * p;
            sxpp += xi * p2;
        }
        std::swap(current, previous);
        beta[k] = Quotient(pp, norm);
        norm = pp;
        b[k] = Quotient(syp, norm);
        alpha[k] = Quotient(sxpp, norm);
    }
    work.reset();

    // Power coefficients: the coefficient vectors of p(j) follow the same recurrence.
    Table c{}, qPrev{}, qCur{}, qNext{};
    qCur[0] = 1.0;
    c[0] = b[0];
    for (int j = 1; j <= order; ++j) {
        for (int m = 0; m <= j; ++m) {
            const double shifted = m > 0 ? qCur[m - 1] : 0.0;
            qNext[m] = shifted - alpha[j - 1] * qCur[m] - beta[j - 1] * qPrev[m];
        }
        qPrev = qCur;
        qCur = qNext;
        for (int m = 0; m <= j; ++m)
            c[m] += b[j] * qCur[m];
    }
    for (int m = 0; m <= order; ++m) {
        if (!detail::AllFinite({c[m]}))
            return kStatusZeroDenominator;
    }

    // The curve is evaluated through the orthogonal polynomials, not the power coefficients:
    // when x lies far from 0 against its spread (a run late in the day, pressure in Pa on the
    // x axis) the powers cancel each other's digits and the curve would miss the data.
    const auto model = [&alpha, &beta, &b, order](double xi) {
        double before = 0, here = 1, v = b[0];
        for (int k = 1; k <= order; ++k) {
            const double next = (xi - alpha[k - 1]) * here - beta[k - 1] * before;
            before = here;
            here = next;
            v += b[k] * here;
        }
        return v;
    };
    const detail::FitQuality q = detail::WriteAndMeasure(start, end, n, x, y, fit, model);

    result[PolynomialResult::kCount] = static_cast<float>(count);
    result[PolynomialResult::kOrder] = static_cast<float>(order);
    result[PolynomialResult::kR2] = static_cast<float>(q.r2);
    result[PolynomialResult::kRms] = static_cast<float>(q.Rms());
    for (int m = 0; m <= order; ++m)
        result[PolynomialResult::kC0 + m] = static_cast<float>(c[m]);
    return 5 + order;
}

int FitQuadratic(int start, int end, int n, const float* x, const float* y, float* fit, float* result)
{
    float polynomial[kFitResultLength] = {};
    const int status = FitPolynomial(start, end, n, 2, x, y, fit, polynomial);
    if (status != 7)
        return status;
    // N, c2, c1, c0, r^2, rms, and c2 once more, as the screen reads it.
    const float rearranged[7] = {polynomial[0], polynomial[6], polynomial[5], polynomial[4],
                                 polynomial[2], polynomial[3], polynomial[6]};
    std::copy(std::begin(rearranged), std::end(rearranged), result);
    return 7;
}

} // namespace numeric
