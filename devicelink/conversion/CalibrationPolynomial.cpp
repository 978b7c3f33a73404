#include "devicelink/conversion/CalibrationPolynomial.h"

#include <cmath>

namespace devicelink {

double EvalCalibrationPolynomial(int32_t type, const float coefficients[8], double x)
{
    if (type == kPowerLaw)
        return double(coefficients[0]) * std::pow(x, double(coefficients[1]));
    if (type < kPolynomialDegree1 || type > kPolynomialDegree7)
        return -1.0;
    const int degree = type - kPolynomialDegree1 + 1;
    double value = coefficients[degree];
    for (int k = degree - 1; k >= 0; --k)
        value = value * x + double(coefficients[k]);
    return value;
}

}  // namespace devicelink
