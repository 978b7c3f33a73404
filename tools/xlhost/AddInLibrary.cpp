#include "tools/xlhost/AddInLibrary.h"

#include <dlfcn.h>

#include <algorithm>
#include <array>

namespace xlhost {

namespace {

using Op = HostOperand*;

// The functions take up to 29 operands; a shorter list is filled with missing ones.
constexpr int kMaxOperandArguments = 29;

Op Missing()
{
    static HostOperand missing{};
    missing = HostOperand{};
    missing.type = HOST_TYPE_MISSING;
    return &missing;
}

}  // namespace

const std::vector<ExportInfo>& Exports()
{
    static const std::vector<ExportInfo> exports = {
        {"xlAutoOpen", ExportShape::Command, 0},
        {"xlAutoClose", ExportShape::Command, 0},
        {"xlAutoAdd", ExportShape::Command, 0},
        {"xlAutoRemove", ExportShape::Command, 0},
        {"xlAutoRegister12", ExportShape::Operands, 1},
        {"xlAddInManagerInfo12", ExportShape::Operands, 1},
        {"FireEvent", ExportShape::WideText, 1},
        {"fDialog", ExportShape::Command, 0},
        {"fDance", ExportShape::Command, 0},
        {"fShowDialog", ExportShape::Command, 0},
        {"fExit", ExportShape::Command, 0},
        {"Func1", ExportShape::Operands, 1},
        {"FuncSum", ExportShape::Operands, kMaxOperandArguments},
        {"FuncFib", ExportShape::Operands, 1},
        {"RvnFunctionTest", ExportShape::Record, 1},
        {"PvExcelSnapshotToCell", ExportShape::Integers, 0},
        {"PvExcelSnapshotForm", ExportShape::Integers, 3},
        {"PvExcelInit", ExportShape::Integers, 0},
        {"PvExcelExit", ExportShape::Integers, 0},
        {"PvExcelReadStart", ExportShape::Integers, 5},
        {"PvExcelReadData", ExportShape::Integers, 0},
        {"PvExcelReadStop", ExportShape::Integers, 0},
        {"PvExcelSensorDetection", ExportShape::Integers, 2},
        {"PvExcelSnapshot", ExportShape::Integers, 3},
        {"PVMeasureDialog", ExportShape::Integers, 1},
        {"PVAnalyzeDialog", ExportShape::Integers, 1},
        {"PVSnapshotDialog", ExportShape::Integers, 1},
        {"PVUpdataMeasure", ExportShape::Integers, 1},
        {"PVAnalyzeData", ExportShape::Analysis, 8},
    };
    return exports;
}

const ExportInfo* FindExport(std::string_view name)
{
    const auto& all = Exports();
    const auto it = std::find_if(all.begin(), all.end(), [&](const ExportInfo& e) { return e.name == name; });
    return it == all.end() ? nullptr : &*it;
}

std::unique_ptr<AddInLibrary> AddInLibrary::Open(const std::string& path, std::string& error)
{
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        error = why ? why : "cannot load " + path;
        return nullptr;
    }
    return std::unique_ptr<AddInLibrary>(new AddInLibrary(handle, path));
}

AddInLibrary::~AddInLibrary()
{
    dlclose(handle_);
}

void* AddInLibrary::Symbol(const char* name) const
{
    return dlsym(handle_, name);
}

std::optional<int> AddInLibrary::Command(const char* name)
{
    auto f = reinterpret_cast<int (*)()>(Symbol(name));
    if (!f)
        return std::nullopt;
    return f();
}

std::optional<int> AddInLibrary::Call(const char* name, const std::vector<int>& a)
{
    void* f = Symbol(name);
    if (!f)
        return std::nullopt;
    std::array<int, 5> v{};
    std::copy_n(a.begin(), std::min<size_t>(a.size(), v.size()), v.begin());
    switch (a.size()) {
    case 0: return reinterpret_cast<int (*)()>(f)();
    case 1: return reinterpret_cast<int (*)(int)>(f)(v[0]);
    case 2: return reinterpret_cast<int (*)(int, int)>(f)(v[0], v[1]);
    case 3: return reinterpret_cast<int (*)(int, int, int)>(f)(v[0], v[1], v[2]);
    case 4: return reinterpret_cast<int (*)(int, int, int, int)>(f)(v[0], v[1], v[2], v[3]);
    case 5: return reinterpret_cast<int (*)(int, int, int, int, int)>(f)(v[0], v[1], v[2], v[3], v[4]);
    default: return std::nullopt;
    }
}

std::optional<HostOperand*> AddInLibrary::CallOperands(const char* name, const std::vector<HostOperand*>& a)
{
    void* f = Symbol(name);
    if (!f || a.size() > size_t(kMaxOperandArguments))
        return std::nullopt;
    std::array<Op, kMaxOperandArguments> v{};
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = i < a.size() && a[i] ? a[i] : Missing();
    const ExportInfo* info = FindExport(name);
    if (info && info->arguments == kMaxOperandArguments) {
        using Sum = Op (*)(Op, Op, Op, Op, Op, Op, Op, Op, Op, Op, Op, Op, Op, Op, Op, Op, Op, Op, Op, Op, Op, Op, Op,
                           Op, Op, Op, Op, Op, Op);
        return reinterpret_cast<Sum>(f)(v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11],
                                        v[12], v[13], v[14], v[15], v[16], v[17], v[18], v[19], v[20], v[21], v[22],
                                        v[23], v[24], v[25], v[26], v[27], v[28]);
    }
    return reinterpret_cast<Op (*)(Op)>(f)(v[0]);
}

std::optional<int> AddInLibrary::CallRecord(const char* name, RvnTestRecord* record)
{
    auto f = reinterpret_cast<int (*)(RvnTestRecord*)>(Symbol(name));
    if (!f)
        return std::nullopt;
    return f(record);
}

std::optional<int> AddInLibrary::AnalyzeData(int first, int last, int n, int kind, int column, const double* x,
                                             const double* y, char* out)
{
    using Analyze = int (*)(int, int, int, int, int, const double*, const double*, char*);
    auto f = reinterpret_cast<Analyze>(Symbol("PVAnalyzeData"));
    if (!f)
        return std::nullopt;
    return f(first, last, n, kind, column, x, y, out);
}

std::optional<int> AddInLibrary::CallText(const char* name, const std::u16string& text)
{
    auto f = reinterpret_cast<int (*)(const uint16_t*)>(Symbol(name));
    if (!f)
        return std::nullopt;
    std::vector<uint16_t> zeroTerminated(text.begin(), text.end());
    zeroTerminated.push_back(0);
    return f(zeroTerminated.data());
}

}  // namespace xlhost
