#include "addin/Language.h"

#include "addin/device/CorvikApi.h"
#include "uikit/resources/ResourceModule.h"

#include <QString>

#include <memory>
#include <mutex>

namespace addin {

namespace {

constexpr int kMaxLabelChars = 256;

struct Module {
    std::mutex mutex;
    std::unique_ptr<uikit::ResourceModule> module;
};

Module& TheModule()
{
    static Module m;
    return m;
}

}  // namespace

std::u16string LanguageText(int id)
{
    Module& m = TheModule();
    std::lock_guard lock(m.mutex);
    if (!m.module)
        m.module = std::make_unique<uikit::ResourceModule>(QString::fromStdString(device::DataFile(uikit::kLanguageModuleName)));
    const QString text = m.module->String(id, kMaxLabelChars);
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size()));
}

void ReleaseLanguageModule()
{
    Module& m = TheModule();
    std::lock_guard lock(m.mutex);
    m.module.reset();
}

}  // namespace addin
