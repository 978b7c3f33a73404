// The main of every test program. It pins the environment every test relies on before any test
// runs: the TCP transport, so that no test ever talks to a real logger that happens to be plugged
// in (or, when the run preloads the USB library's stand-in, the USB transport alone, which then
// reaches only the stand-in), and the offscreen Qt platform, so that widgets render without a
// display.
#include "support/UsbStandIn.h"  // beside this file: every test program compiles it

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("CORVIK_TRANSPORT", corviktest::TestTransport(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("CORVIK_SOURCE_DIR", CORVIK_SOURCE_DIR, 0);
    setenv("CORVIK_BINARY_DIR", CORVIK_BINARY_DIR, 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
