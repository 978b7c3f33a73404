#include "addin/SampleCommands.h"

#include "addin/AddInDialogs.h"
#include "addin/AddInLifetime.h"
#include "addin/host/HostCall.h"
#include "addin/RegistrationTables.h"
#include "addin/WorkbookSession.h"

#include "platform/Clock.h"
#include "platform/Text.h"

#include <QCursor>
#include <QGuiApplication>
#include <QThread>

#include <bit>
#include <cmath>
#include <cstdio>

using namespace addin;

namespace {

constexpr int32_t kSumRow = 1;
constexpr int32_t kSumColumn = 1;
constexpr double kSum = 145.0;
// The largest n whose Fibonacci number a double holds.
constexpr int64_t kLargestFibonacci = 1476;
constexpr uint32_t kRvnFloatBits = 0x46ADB472u;  // 22234.2227
constexpr uint32_t kDanceMs = 60000;
constexpr uint32_t kDanceStepMs = 100;

HostOperand ErrorOperand(int32_t code)
{
    HostOperand op{};
    op.type = HOST_TYPE_ERROR;
    op.value.error = code;
    return op;
}

HostOperand NumberOperand(double value)
{
    HostOperand op{};
    op.type = HOST_TYPE_NUMBER;
    op.value.number = value;
    return op;
}

// The sample dialog-box table: 16 items of 7 columns (item, x, y, width, height, text, initial
// value or result). Empty fields are left missing.
struct DialogItem {
    int item;
    int x, y, width, height;
    const char16_t* text;
    const char16_t* initial;
};
constexpr int kNone = -1;
constexpr DialogItem kSampleDialog[16] = {
    {kNone, kNone, kNone, 494, 210, u"Generic Sample Dialog", nullptr},
    {1, 330, 174, 88, kNone, u"OK", nullptr},
    {2, 225, 174, 88, kNone, u"Cancel", nullptr},
    {5, 19, 11, kNone, kNone, u"&Name:", nullptr},
    {6, 19, 29, 251, kNone, nullptr, u"Name"},
    {14, 305, 15, 154, 73, u"&College", nullptr},
    {11, kNone, kNone, kNone, kNone, nullptr, u"1"},
    {12, kNone, kNone, kNone, kNone, u"&Harvard", nullptr},
    {12, kNone, kNone, kNone, kNone, u"&Other", nullptr},
    {5, 19, 50, kNone, kNone, u"&Reference:", nullptr},
    {10, 19, 67, 253, kNone, nullptr, u"Ref"},
    {14, 209, 93, 250, 63, u"&Qualifications", nullptr},
    {13, kNone, kNone, kNone, kNone, u"&BA / BS", u"1"},
    {13, kNone, kNone, kNone, kNone, u"&MA / MS", u"1"},
    {13, kNone, kNone, kNone, kNone, u"&PhD / Other Grad", u"0"},
    {15, 19, 99, 160, 96, u"GENERIC_List1", u"1"},
};
constexpr const char16_t* kListEntries[] = {u"Bake", u"Broil", u"Sizzle", u"Fry", u"Saute"};
constexpr char16_t kListName[] = u"GENERIC_List1";

HostOperand* BuildSampleDialog(host::Operands& ops)
{
    HostOperand* table = ops.Array(16, 7);
    for (int r = 0; r < 16; ++r) {
        const DialogItem& d = kSampleDialog[r];
        const int numbers[5] = {d.item, d.x, d.y, d.width, d.height};
        for (int k = 0; k < 5; ++k) {
            if (numbers[k] == kNone)
                continue;
            HostOperand& cell = host::Operands::Item(*table, r, k);
            cell.type = HOST_TYPE_NUMBER;
            cell.value.number = numbers[k];
        }
        if (d.text)
            ops.SetText(host::Operands::Item(*table, r, 5), d.text);
        if (d.initial)
            ops.SetText(host::Operands::Item(*table, r, 6), d.initial);
    }
    return table;
}

bool AbortPending()
{
    HostOperand answer{};
    const int rc = host::Call(xlAbort, &answer, {});
    return rc == HOST_RESULT_OK && answer.type == HOST_TYPE_BOOLEAN && answer.value.boolean != 0;
}

void ClearAbort()
{
    host::Operands ops;
    host::Call(xlAbort, nullptr, {ops.Boolean(false)});
}

}  // namespace

ADDIN_EXPORT int fShowDialog(void)
{
    return Guarded(0, [] {
        HostOperand stack{};
        host::Call(xlStack, &stack, {});
        HostOperand text{};
        host::Operands ops;
        if (host::Call(xlCoerce, &text, {&stack, ops.Integer(HOST_TYPE_STRING)}) == HOST_RESULT_OK) {
            static std::u16string stackText;
            stackText = host::TextOf(text);
            host::Free(text);
        }
        HostOperand window{};
        host::Call(xlGetHwnd, &window, {});
        const intptr_t parent = window.type == HOST_TYPE_INTEGER ? window.value.integer : 0;
        host::Call(xlEnableXLMsgs, nullptr, {});
        // Over the host's window the pointer keeps the arrow while the window is up.
        const bool cursor = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) &&
                            QThread::currentThread() == QCoreApplication::instance()->thread();
        if (cursor)
            QGuiApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
        if (Session().Init() == 1)
            Dialogs().ShowSnapshotDialog(parent);
        if (cursor)
            QGuiApplication::restoreOverrideCursor();
        host::Call(xlDisableXLMsgs, nullptr, {});
        return 0;
    });
}

ADDIN_EXPORT int fDialog(void)
{
    return Guarded(0, [] {
        host::Operands ops;
        HostOperand* list = ops.Array(1, 5);
        for (int k = 0; k < 5; ++k)
            ops.SetText(host::Operands::Item(*list, 0, k), kListEntries[k]);
        host::Call(xlfSetName, nullptr, {ops.Text(kListName), list});
        HostOperand* table = BuildSampleDialog(ops);
        HostOperand first{};
        host::Call(xlfDialogBox, &first, {table});
        // Shown again with what the first showing returned (the table itself after a Cancel).
        HostOperand second{};
        host::Call(xlfDialogBox, &second, {first.type == HOST_TYPE_ARRAY ? &first : table});
        host::Free(second);
        host::Free(first);
        host::Call(xlfSetName, nullptr, {ops.Text(kListName)});
        return 1;
    });
}

ADDIN_EXPORT int fDance(void)
{
    return Guarded(0, [] {
        const int32_t cells[4][2] = {{1, 1}, {1, 3}, {3, 3}, {3, 1}};
        const uint32_t start = platform::GetTickCount32();
        uint32_t shownSeconds = 0;
        for (int step = 0;; ++step) {
            const uint32_t elapsed = platform::GetTickCount32() - start;
            if (elapsed >= kDanceMs)
                break;
            if (AbortPending()) {
                if (host::Alert(u"Are you sure you want to cancel this operation?", host::kAlertQuestion))
                    break;
                ClearAbort();
            }
            host::Operands ops;
            const int32_t* cell = cells[step % 4];
            host::Call(xlcSelect, nullptr, {ops.Cell(cell[0], cell[1])});
            const uint32_t left = (kDanceMs - elapsed + 999) / 1000;
            if (left != shownSeconds) {
                shownSeconds = left;
                char text[24];
                std::snprintf(text, sizeof text, "0:%lu", static_cast<unsigned long>(left));
                host::ShowStatus(platform::AsciiToUtf16(text));
            }
            platform::SleepMs(kDanceStepMs);
        }
        host::ClearStatus();
        return 1;
    });
}

ADDIN_EXPORT int xlAutoClose(void);

ADDIN_EXPORT int fExit(void)
{
    return Guarded(0, [] {
        // A second exit has no kept path any more: the host is asked again.
        HostOperand temporary{};
        HostOperand* path = KeptPath();
        if (!path && host::Call(xlGetName, &temporary, {}) == HOST_RESULT_OK)
            path = &temporary;
        const auto unregister = [&](std::u16string_view procedure) {
            host::Operands ops;
            HostOperand id{};
            if (path && host::Call(xlfRegisterId, &id, {path, ops.Text(procedure)}) == HOST_RESULT_OK &&
                id.type == HOST_TYPE_NUMBER)
                host::Call(xlfUnregister, nullptr, {&id});
            host::Free(id);
        };
        for (const FunctionRow& row : FunctionTable())
            unregister(row[kProcedureColumn]);
        for (const CommandRow& row : CommandTable())
            unregister(row[kProcedureColumn]);
        host::Free(temporary);
        FreeKeptPath();
        xlAutoClose();
        return 1;
    });
}

ADDIN_EXPORT HostOperand* Func1(HostOperand* /*argument*/)
{
    static HostOperand result{};
    static uint16_t text[] = {5, u'F', u'u', u'n', u'c', u'1'};
    result.type = HOST_TYPE_STRING;
    result.value.text = text;
    return Guarded(&result, [] {
        host::SetCellInteger(kCounterRow, kCounterColumn, CountCounterCall() + kCounterBase);
        return &result;
    });
}

#define ADDIN_OPERANDS_29                                                                                     \
    HostOperand*, HostOperand*, HostOperand*, HostOperand*, HostOperand*, HostOperand*, HostOperand*,          \
        HostOperand*, HostOperand*, HostOperand*, HostOperand*, HostOperand*, HostOperand*, HostOperand*,      \
        HostOperand*, HostOperand*, HostOperand*, HostOperand*, HostOperand*, HostOperand*, HostOperand*,      \
        HostOperand*, HostOperand*, HostOperand*, HostOperand*, HostOperand*, HostOperand*, HostOperand*,      \
        HostOperand*

ADDIN_EXPORT HostOperand* FuncSum(ADDIN_OPERANDS_29)
{
    static HostOperand result{};
    result = NumberOperand(kSum);
    return Guarded(&result, [] {
        host::SetCell(kSumRow, kSumColumn, kSum);
        return &result;
    });
}

ADDIN_EXPORT HostOperand* FuncFib(HostOperand* n)
{
    static HostOperand result{};
    result = ErrorOperand(HOST_ERROR_VALUE);
    return Guarded(&result, [n] {
        if (!n)
            return &result;
        int64_t count = -1;
        const bool oneCell = n->type == HOST_TYPE_REFERENCE && n->value.reference.rowFirst == n->value.reference.rowLast &&
                             n->value.reference.columnFirst == n->value.reference.columnLast;
        if (n->type == HOST_TYPE_NUMBER && std::isfinite(n->value.number) && std::abs(n->value.number) < 1e18) {
            count = int64_t(n->value.number);
        } else if (n->type == HOST_TYPE_INTEGER) {
            count = n->value.integer;
        } else if (oneCell) {
            host::Operands ops;
            HostOperand converted{};
            const int rc = host::Call(xlCoerce, &converted, {n, ops.Integer(HOST_TYPE_INTEGER)});
            if (rc != HOST_RESULT_OK) {
                result = ErrorOperand(rc);
                return &result;
            }
            if (converted.type == HOST_TYPE_INTEGER)
                count = converted.value.integer;
            host::Free(converted);
        }
        if (count < 0)
            return &result;
        // Past 46 the numbers outgrow 32 bits, past 1476 a double.
        if (count > kLargestFibonacci) {
            result = ErrorOperand(HOST_ERROR_NUM);
            return &result;
        }
        double a = 1.0, b = 1.0;
        for (int64_t i = 3; i <= count; ++i) {
            const double next = a + b;
            a = b;
            b = next;
        }
        result = NumberOperand(b);
        return &result;
    });
}

ADDIN_EXPORT int RvnFunctionTest(RvnTestRecord* record)
{
    return Guarded(0, [record] {
        if (!record)
            return 0;
        char text[160];
        std::snprintf(text, sizeof text, "RvnFunctionTest doubles %016llX %016llX",
                      static_cast<unsigned long long>(std::bit_cast<uint64_t>(record->doubles[0])),
                      static_cast<unsigned long long>(std::bit_cast<uint64_t>(record->doubles[1])));
        host::Alert(platform::AsciiToUtf16(text), host::kAlertInfo);
        std::snprintf(text, sizeof text, "RvnFunctionTest floats %08X %08X %08X %08X",
                      std::bit_cast<uint32_t>(record->floats[0]), std::bit_cast<uint32_t>(record->floats[1]),
                      std::bit_cast<uint32_t>(record->floats[2]), std::bit_cast<uint32_t>(record->floats[3]));
        host::Alert(platform::AsciiToUtf16(text), host::kAlertInfo);
        record->floats[0] = record->floats[1] = std::bit_cast<float>(kRvnFloatBits);
        return 1;
    });
}
