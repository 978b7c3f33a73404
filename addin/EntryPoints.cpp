// The host's entry points: open, close, register, add, remove, describe; and FireEvent.
#include "addin/AddInLifetime.h"
#include "addin/host/HostCall.h"
#include "addin/RegistrationTables.h"

#include "platform/NamedEvent.h"
#include "platform/Text.h"

#include <cstdio>
#include <vector>

using namespace addin;

namespace {

constexpr int kGenericMenuBar = 10;
constexpr int kToolbarInfo = 7;
constexpr char16_t kMenuName[] = u"Generic";
constexpr char16_t kToolbarName[] = u"Test";
constexpr char16_t kLongName[] = u"Generic Standalone DLL";

template <size_t N>
int Register(HostOperand* path, const std::array<std::u16string_view, N>& row)
{
    host::Operands ops;
    std::vector<HostOperand*> arguments{path};
    for (std::u16string_view text : row)
        arguments.push_back(ops.Text(text));
    return host::Call(xlfRegister, nullptr, arguments);
}

void RemoveName(std::u16string_view name)
{
    host::Operands ops;
    host::Call(xlfSetName, nullptr, {ops.Text(name)});
}

// Asks for a menu bar entry or toolbar and deletes it when the answer is not an error.
void DeleteIfPresent(int askFunction, int askArgument, std::u16string_view name, int deleteFunction)
{
    host::Operands ops;
    HostOperand answer{};
    std::vector<HostOperand*> ask{ops.Integer(askArgument), ops.Text(name)};
    if (askFunction == xlfGetBar)
        ask.push_back(ops.Integer(0));
    if (host::Call(askFunction, &answer, ask) != HOST_RESULT_OK || host::IsError(answer))
        return;
    if (deleteFunction == xlfDeleteMenu)
        host::Call(xlfDeleteMenu, nullptr, {ops.Integer(kGenericMenuBar), ops.Text(name)});
    else
        host::Call(deleteFunction, nullptr, {ops.Text(name)});
    host::Free(answer);
}

HostOperand* ValueError()
{
    static HostOperand error{};
    error.type = HOST_TYPE_ERROR;
    error.value.error = HOST_ERROR_VALUE;
    return &error;
}

bool SameProcedure(std::u16string_view a, std::u16string_view b)
{
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

}  // namespace

ADDIN_EXPORT int xlAutoOpen(void)
{
    return Guarded(1, [] {
        HostOperand* path = AcquirePath();
        if (!path)
            return 1;
        for (const FunctionRow& row : FunctionTable())
            Register(path, row);
        for (const CommandRow& row : CommandTable())
            Register(path, row);
        return 1;
    });
}

ADDIN_EXPORT int xlAutoClose(void)
{
    return Guarded(1, [] {
        for (const FunctionRow& row : FunctionTable())
            RemoveName(row[kFunctionTextColumn]);
        for (const CommandRow& row : CommandTable())
            RemoveName(row[kFunctionTextColumn]);
        DeleteIfPresent(xlfGetBar, kGenericMenuBar, kMenuName, xlfDeleteMenu);
        DeleteIfPresent(xlfGetToolbar, kToolbarInfo, kToolbarName, xlfDeleteToolbar);
        ShutDown(true);
        return 1;
    });
}

ADDIN_EXPORT HostOperand* xlAutoRegister12(HostOperand* name)
{
    return Guarded(ValueError(), [name] {
        if (!name || name->type != HOST_TYPE_STRING)
            return ValueError();
        const std::u16string wanted = host::TextOf(*name);
        const auto registerAlone = [](const auto& row) {
            HostOperand path{};
            if (host::Call(xlGetName, &path, {}) == HOST_RESULT_OK && path.type == HOST_TYPE_STRING)
                Register(&path, row);
            host::Free(path);
        };
        for (const FunctionRow& row : FunctionTable()) {
            if (SameProcedure(wanted, row[kProcedureColumn])) {
                registerAlone(row);
                return ValueError();
            }
        }
        for (const CommandRow& row : CommandTable()) {
            if (SameProcedure(wanted, row[kProcedureColumn])) {
                registerAlone(row);
                return ValueError();
            }
        }
        return ValueError();
    });
}

ADDIN_EXPORT int xlAutoAdd(void)
{
    return Guarded(1, [] {
        char text[128];
        std::snprintf(text, sizeof text, "Thank you for adding GENERIC.XLL\n built on %s at %s", __DATE__, __TIME__);
        host::Alert(platform::AsciiToUtf16(text), host::kAlertInfo);
        return 1;
    });
}

ADDIN_EXPORT int xlAutoRemove(void)
{
    return Guarded(1, [] {
        host::Alert(u"Thank you for removing GENERIC.XLL!", host::kAlertInfo);
        return 1;
    });
}

ADDIN_EXPORT HostOperand* xlAddInManagerInfo12(HostOperand* action)
{
    static HostOperand longName{};
    static uint16_t text[sizeof kLongName / sizeof(char16_t)] = {};
    return Guarded(ValueError(), [action] {
        if (!action)
            return ValueError();
        host::Operands ops;
        HostOperand converted{};
        if (host::Call(xlCoerce, &converted, {action, ops.Integer(HOST_TYPE_INTEGER)}) != HOST_RESULT_OK ||
            converted.type != HOST_TYPE_INTEGER || converted.value.integer != 1) {
            host::Free(converted);
            return ValueError();
        }
        const std::u16string_view name = kLongName;
        text[0] = uint16_t(name.size());
        std::copy(name.begin(), name.end(), text + 1);
        longName.type = HOST_TYPE_STRING;
        longName.value.text = text;
        return &longName;
    });
}

ADDIN_EXPORT int FireEvent(const uint16_t* name)
{
    if (!name)
        return 0;
    // The measurement program's FireEvent has the same body; a name longer than it takes is
    // read no further than one unit past the limit.
    char16_t wide[platform::kMaxEventNameUnits + 1];
    size_t length = 0;
    while (length <= platform::kMaxEventNameUnits && name[length] != 0) {
        wide[length] = char16_t(name[length]);
        ++length;
    }
    return platform::FireNamedEvent(std::u16string_view(wide, length));
}
