#include "ReferenceData.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

namespace numeric::testing {

ReferenceData LoadReferenceData(const std::string& name)
{
    ReferenceData data;
    std::ifstream in(std::string(NUMERIC_DATA_DIR) + "/" + name + ".txt");
    if (!in)
        return data;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        fields.imbue(std::locale::classic());
        std::string first;
        fields >> first;
        if (first == "certified" || first == "single") {
            std::string key;
            double value = 0;
            fields >> key >> value;
            (first == "certified" ? data.certified : data.single)[key] = value;
            continue;
        }
        std::istringstream number(first);
        number.imbue(std::locale::classic());
        double a = 0;
        number >> a;
        double b = 0;
        if (fields >> b) {
            data.x.push_back(static_cast<float>(a));
            data.y.push_back(static_cast<float>(b));
        } else {
            data.y.push_back(static_cast<float>(a));
        }
    }
    data.loaded = true;
    return data;
}

double LogRelativeError(double computed, double reference)
{
    const double error = reference == 0 ? std::fabs(computed) : std::fabs(computed - reference) / std::fabs(reference);
    if (error == 0)
        return 15;
    return std::min(15.0, -std::log10(error));
}

} // namespace numeric::testing
