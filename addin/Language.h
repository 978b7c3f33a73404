#pragma once

#include <string>

// The language module's texts for the add-in, read from the data folder on first use. The
// module's Qt resources are released at close, before the library may be unloaded.
namespace addin {

// The text of a string id, empty when the module or the id is missing.
std::u16string LanguageText(int id);
void ReleaseLanguageModule();

}  // namespace addin
