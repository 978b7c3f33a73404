#pragma once

// Reference data sets with their certified results, read from tests/numeric/data.
//
// File format: '#' starts a comment line; "certified NAME VALUE" is a published certified value;
// "single NAME VALUE" is the exact value for the data once rounded to single precision; every
// other line holds one observation (x y, or y alone).

#include <map>
#include <string>
#include <vector>

namespace numeric::testing {

struct ReferenceData {
    std::map<std::string, double> certified;
    std::map<std::string, double> single;
    std::vector<float> x;
    std::vector<float> y;
    bool loaded = false;
};

ReferenceData LoadReferenceData(const std::string& name);

// Log relative error: the number of leading digits that agree (absolute error when the
// reference is 0), at most 15.
double LogRelativeError(double computed, double reference);

} // namespace numeric::testing
