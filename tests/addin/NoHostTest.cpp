// The library in a program that exports no host callback: every host call fails quietly and
// the entry points still answer.
#include <gtest/gtest.h>

#include "addin/HostCallApi.h"

#include <dlfcn.h>

namespace {

TEST(WithoutHostCallback, EntryPointsAnswerAndNothingHappens)
{
    void* library = dlopen(CORVIK_ADDIN_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    EXPECT_EQ(dlsym(RTLD_DEFAULT, HOST_CALLBACK_NAME), nullptr);
    const auto command = [&](const char* name) { return reinterpret_cast<int (*)()>(dlsym(library, name))(); };
    EXPECT_EQ(command("xlAutoOpen"), 1);
    EXPECT_EQ(command("xlAutoAdd"), 1);
    using Operand = HostOperand* (*)(HostOperand*);
    HostOperand seven{};
    seven.type = HOST_TYPE_NUMBER;
    seven.value.number = 7;
    HostOperand* fib = reinterpret_cast<Operand>(dlsym(library, "FuncFib"))(&seven);
    ASSERT_NE(fib, nullptr);
    EXPECT_EQ(fib->value.number, 13.0);
    HostOperand* info = reinterpret_cast<Operand>(dlsym(library, "xlAddInManagerInfo12"))(&seven);
    EXPECT_EQ(info->type, uint32_t(HOST_TYPE_ERROR));
    EXPECT_EQ(command("fExit"), 1);
    EXPECT_EQ(command("xlAutoClose"), 1);
    EXPECT_EQ(dlclose(library), 0);
}

}  // namespace
