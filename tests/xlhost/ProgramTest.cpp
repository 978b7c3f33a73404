// The xlhost program as a person runs it: the example script against the simulated logger.
#include "tests/support/DevsimFixture.h"
#include "tests/support/UsbStandIn.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace {

// Runs a command line; its standard output and exit status.
std::pair<std::string, int> RunCommand(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return {"", -1};
    std::array<char, 4096> buffer{};
    while (size_t n = fread(buffer.data(), 1, buffer.size(), pipe))
        output.append(buffer.data(), n);
    const int status = pclose(pipe);
    return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TEST(XlhostProgram, ExampleSessionFillsTheSheet)
{
    devsim::testing::InProcessDevsim sim;
    std::string error;
    ASSERT_TRUE(sim.Start(error)) << error;
    ASSERT_TRUE(sim.Plug(0, "N2H constant value=21.5"));
    const std::string share = std::string(CORVIK_BINARY_DIR) + "/share";
    const std::string command = "cd '" + share + "' && CORVIK_TRANSPORT=" + corviktest::TestTransport() + " CORVIK_DEVICE_HOST=127.0.0.1 CORVIK_DEVICE_PORT=" +
                                std::to_string(sim.Port()) + " CORVIK_REGISTRY_DIR=/nonexistent-corvik-registry '" +
                                CORVIK_XLHOST_PROGRAM + "' --script '" + CORVIK_SOURCE_DIR +
                                "/tools/xlhost/examples/measure.txt' 2>&1";
    const auto [output, status] = RunCommand(command);
    EXPECT_EQ(status, 0) << output;
    for (const char* expected : {"PvExcelInit -> 1", "alert(2): 연결되었습니다.", "PvExcelReadStart -> 1",
                                 "PVAnalyzeData -> 1", "R2C2  \"Temperature(°C)\"", "R23C0  2\n", "xlAutoClose -> 1"})
        EXPECT_NE(output.find(expected), std::string::npos) << expected << "\n" << output;
    sim.Stop();

    const auto [usage, usageStatus] = RunCommand(std::string("'") + CORVIK_XLHOST_PROGRAM + "' 2>&1");
    EXPECT_EQ(usageStatus, 2);
    EXPECT_NE(usage.find("usage: xlhost --script FILE"), std::string::npos);
}

}  // namespace
