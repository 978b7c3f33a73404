// The host program of the add-in's suites is a Qt program, as the stand-in host is: its main
// thread is the host thread and runs the event loop that work from other threads comes by.
#include <QApplication>

#include <gtest/gtest.h>

namespace {

class QtHostEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "addin_tests";
        static char* argv[] = {name, nullptr};
        app_ = new QApplication(argc, argv);
    }
    void TearDown() override
    {
        delete app_;
        app_ = nullptr;
    }

private:
    QApplication* app_ = nullptr;
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new QtHostEnvironment);

}  // namespace
