#pragma once
// A QApplication for widget tests that use gtest_main: include this header in one source file
// of the test program. The application exists before the first test and lives until the end.
#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

class GuiTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!QApplication::instance())
            m_app = std::make_unique<QApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[16] = "zylconfig-test";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};

// Registered once per program, before main() runs the tests.
inline ::testing::Environment* const kGuiTestEnvironment =
    ::testing::AddGlobalTestEnvironment(new GuiTestEnvironment);
