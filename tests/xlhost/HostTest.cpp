// The stand-in host's own behaviour: cells, host memory, conversions, the host thread.
#include "tools/xlhost/Host.h"
#include "tools/xlhost/Script.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace xlhost;

struct Ops {
    std::vector<HostOperand> store = std::vector<HostOperand>(16);
    std::vector<std::vector<uint16_t>> texts;
    size_t next = 0;

    HostOperand* Number(double v)
    {
        HostOperand& op = store[next++];
        op = HostOperand{};
        op.type = HOST_TYPE_NUMBER;
        op.value.number = v;
        return &op;
    }
    HostOperand* Integer(int32_t v)
    {
        HostOperand& op = store[next++];
        op = HostOperand{};
        op.type = HOST_TYPE_INTEGER;
        op.value.integer = v;
        return &op;
    }
    HostOperand* Text(const std::u16string& v)
    {
        texts.push_back(CountedText(v));
        HostOperand& op = store[next++];
        op = HostOperand{};
        op.type = HOST_TYPE_STRING;
        op.value.text = texts.back().data();
        return &op;
    }
    HostOperand* Ref(int32_t r1, int32_t r2, int32_t c1, int32_t c2)
    {
        HostOperand& op = store[next++];
        op = HostOperand{};
        op.type = HOST_TYPE_REFERENCE;
        op.value.reference = {r1, r2, c1, c2};
        return &op;
    }
    HostOperand* Missing()
    {
        HostOperand& op = store[next++];
        op = HostOperand{};
        op.type = HOST_TYPE_MISSING;
        return &op;
    }
};

int Call(Host& host, int function, HostOperand* result, std::vector<HostOperand*> args)
{
    return host.Dispatch(function, int(args.size()), args.data(), result);
}

TEST(HostCells, SetClearAndArraysOverAreas)
{
    Host host;
    Ops o;
    HostOperand r{};
    EXPECT_EQ(Call(host, xlSet, &r, {o.Ref(2, 2, 3, 3), o.Number(1.5)}), HOST_RESULT_OK);
    EXPECT_EQ(host.Cells().NumberAt(2, 3), 1.5);
    EXPECT_EQ(Call(host, xlSet, &r, {o.Ref(0, 1, 0, 1), o.Text(u"x")}), HOST_RESULT_OK);
    EXPECT_EQ(host.Cells().Count(), 5u);
    EXPECT_EQ(Call(host, xlSet, &r, {o.Ref(0, 2, 0, 3), o.Missing()}), HOST_RESULT_OK);
    EXPECT_EQ(host.Cells().Count(), 0u);

    // A 2 x 1 array over a 3 x 1 area: the cell it does not reach shows #N/A.
    HostOperand items[2] = {};
    items[0].type = items[1].type = HOST_TYPE_NUMBER;
    items[0].value.number = 1;
    items[1].value.number = 2;
    HostOperand array{};
    array.type = HOST_TYPE_ARRAY;
    array.value.array = {items, 2, 1};
    EXPECT_EQ(Call(host, xlSet, &r, {o.Ref(5, 7, 0, 0), &array}), HOST_RESULT_OK);
    EXPECT_EQ(host.Cells().NumberAt(6, 0), 2.0);
    EXPECT_EQ(host.Cells().Get(7, 0)->kind, CellValue::Kind::Error);

    // Outside the sheet, or no reference at all.
    EXPECT_EQ(Call(host, xlSet, &r, {o.Ref(HOST_MAX_ROWS, HOST_MAX_ROWS, 0, 0), o.Number(1)}), HOST_RESULT_BAD_OPERAND);
    EXPECT_EQ(Call(host, xlSet, &r, {o.Ref(0, 0, -1, 0), o.Number(1)}), HOST_RESULT_BAD_OPERAND);
    EXPECT_EQ(Call(host, xlSet, &r, {o.Number(1), o.Number(1)}), HOST_RESULT_BAD_OPERAND);
}

TEST(HostMemory, CoercedTextIsLentUntilFreedOnce)
{
    Host host;
    Ops o;
    HostOperand text{};
    ASSERT_EQ(Call(host, xlCoerce, &text, {o.Number(2.5), o.Integer(HOST_TYPE_STRING)}), HOST_RESULT_OK);
    ASSERT_EQ(text.type, uint32_t(HOST_TYPE_STRING));
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(text.value.text + 1), text.value.text[0]), u"2.5");
    EXPECT_EQ(host.Ledger().Live(), 1u);
    HostOperand copy = text;
    EXPECT_EQ(Call(host, xlFree, nullptr, {&text}), HOST_RESULT_OK);
    EXPECT_EQ(host.Ledger().Live(), 0u);
    EXPECT_EQ(Call(host, xlFree, nullptr, {&copy}), HOST_RESULT_OK);
    EXPECT_EQ(host.Ledger().BadFrees(), 1u);
}

TEST(HostCoerce, CellsAndTextsToIntegers)
{
    Host host;
    Ops o;
    host.Cells().Set(0, 0, CellValue::Text(u"12"));
    host.Cells().Set(1, 0, CellValue::Text(u"twelve"));
    HostOperand r{};
    EXPECT_EQ(Call(host, xlCoerce, &r, {o.Ref(0, 0, 0, 0), o.Integer(HOST_TYPE_INTEGER)}), HOST_RESULT_OK);
    EXPECT_EQ(r.value.integer, 12);
    EXPECT_EQ(Call(host, xlCoerce, &r, {o.Ref(1, 1, 0, 0), o.Integer(HOST_TYPE_INTEGER)}), HOST_RESULT_BAD_OPERAND);
    EXPECT_EQ(Call(host, xlCoerce, &r, {o.Ref(9, 9, 9, 9), o.Integer(HOST_TYPE_INTEGER)}), HOST_RESULT_OK);
    EXPECT_EQ(r.value.integer, 0);  // an empty cell
    EXPECT_EQ(Call(host, xlCoerce, &r, {o.Number(2.6), o.Integer(HOST_TYPE_INTEGER)}), HOST_RESULT_OK);
    EXPECT_EQ(r.value.integer, 3);
}

TEST(HostThread, CallsFromAnotherThreadAreRefusedAndCounted)
{
    Host host;
    int rc = 0;
    std::thread([&] {
        Ops o;
        rc = Call(host, xlSet, nullptr, {o.Ref(0, 0, 0, 0), o.Number(1)});
    }).join();
    EXPECT_EQ(rc, HOST_RESULT_FAILED);
    EXPECT_EQ(host.ForeignThreadCalls(), 1u);
    EXPECT_EQ(host.Cells().Count(), 0u);
}

TEST(HostBreak, StaysPendingUntilCleared)
{
    Host host;
    HostOperand r{};
    host.SetBreakPending(true);
    EXPECT_EQ(Call(host, xlAbort, &r, {}), HOST_RESULT_OK);
    EXPECT_EQ(r.value.boolean, 1);
    EXPECT_EQ(Call(host, xlAbort, &r, {}), HOST_RESULT_OK);
    EXPECT_EQ(r.value.boolean, 1);
    HostOperand no{};
    no.type = HOST_TYPE_BOOLEAN;
    EXPECT_EQ(Call(host, xlAbort, &r, {&no}), HOST_RESULT_OK);
    EXPECT_EQ(Call(host, xlAbort, &r, {}), HOST_RESULT_OK);
    EXPECT_EQ(r.value.boolean, 0);
    EXPECT_EQ(Call(host, 0x7FFF, &r, {}), HOST_RESULT_BAD_FUNCTION);
}

TEST(ScriptWords, QuotesAndComments)
{
    EXPECT_EQ(SplitWords(R"(call FuncFib R0C0  # the seventh)"), (std::vector<std::string>{"call", "FuncFib", "R0C0"}));
    EXPECT_EQ(SplitWords(R"(cell R1C2 "a # b")"), (std::vector<std::string>{"cell", "R1C2", "\"a # b\""}));
    CellAddress at;
    EXPECT_TRUE(Sheet::ParseAddress("R12C3", at));
    EXPECT_EQ(at, (CellAddress{12, 3}));
    for (const char* bad : {"A1", "R1", "RC3", "R-1C2", "R1C", "R1Cx"})
        EXPECT_FALSE(Sheet::ParseAddress(bad, at)) << bad;
}

TEST(Script, RunsAgainstTheAddIn)
{
    Host host;
    std::ostringstream out, err;
    ScriptRunner runner(host, out, err);
    runner.SetDefaultAddIn(CORVIK_ADDIN_LIBRARY);
    ASSERT_TRUE(runner.RunText("call xlAutoOpen\ncell R0C0 7\ncall FuncFib R0C0\nprint\n")) << err.str();
    EXPECT_NE(out.str().find("FuncFib -> 13\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("R0C0  7\n"), std::string::npos) << out.str();
    EXPECT_TRUE(runner.AddInOpen());
    ASSERT_TRUE(runner.RunLine("call xlAutoClose", 5));
    EXPECT_FALSE(runner.AddInOpen());

    EXPECT_FALSE(runner.RunText("call FuncFib R0C0\nfrobnicate\n"));
    EXPECT_EQ(err.str(), "line 2: cannot read \"frobnicate\"\n");
    EXPECT_FALSE(runner.RunLine("call NoSuchExport", 9));
}

}  // namespace
