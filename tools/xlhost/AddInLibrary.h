#pragma once

#include "addin/HostCallApi.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The add-in as a loaded library: its exports found by name and called with the calling shape
// each one has (the registration's type texts do not describe it).
namespace xlhost {

enum class ExportShape {
    Command,    // int f(void): the entry points and commands
    Integers,   // int f(int, ...): the workbook functions
    Operands,   // HostOperand* f(HostOperand*, ...)
    Record,     // int f(RvnTestRecord*)
    Analysis,   // int f(int first, int last, int n, int kind, int column, const double* x, const double* y, char* out)
    WideText,   // int f(const uint16_t* zero-terminated text)
};

struct ExportInfo {
    std::string_view name;
    ExportShape shape;
    int arguments;
};

// The add-in's exports, for scripts; null for a name it does not export.
const ExportInfo* FindExport(std::string_view name);
const std::vector<ExportInfo>& Exports();

class AddInLibrary {
public:
    // dlopen with local symbols, so nothing of the add-in's meets the host's.
    static std::unique_ptr<AddInLibrary> Open(const std::string& path, std::string& error);
    ~AddInLibrary();
    AddInLibrary(const AddInLibrary&) = delete;
    AddInLibrary& operator=(const AddInLibrary&) = delete;

    const std::string& Path() const { return path_; }
    void* Symbol(const char* name) const;

    // Each nullopt when the export is missing.
    std::optional<int> Command(const char* name);
    std::optional<int> Call(const char* name, const std::vector<int>& arguments);
    std::optional<HostOperand*> CallOperands(const char* name, const std::vector<HostOperand*>& arguments);
    std::optional<int> CallRecord(const char* name, RvnTestRecord* record);
    std::optional<int> AnalyzeData(int first, int last, int n, int kind, int column, const double* x, const double* y,
                                   char* out);
    std::optional<int> CallText(const char* name, const std::u16string& text);

private:
    AddInLibrary(void* handle, std::string path) : handle_(handle), path_(std::move(path)) {}
    void* handle_;
    std::string path_;
};

}  // namespace xlhost
