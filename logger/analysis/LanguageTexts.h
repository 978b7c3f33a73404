#pragma once

#include "logger/analysis/core/AnalysisPorts.h"
#include "uikit/resources/ResourceModule.h"

// The analysis core's texts from a language module.
namespace analysis {

class LanguageTexts : public TextSource {
public:
    explicit LanguageTexts(uikit::ResourceModule& module) : module_(module) {}
    std::u16string String(int id, int maxChars) const override
    {
        const QString text = module_.String(id, maxChars);
        return text.toStdU16String();
    }

private:
    uikit::ResourceModule& module_;
};

}  // namespace analysis
