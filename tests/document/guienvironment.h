#pragma once

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <memory>

namespace quillet {

// Glyphs need fonts, and fonts need a QGuiApplication: a test program that draws units registers
// this environment once (GuiEnvironment::install()).
class GuiEnvironment : public ::testing::Environment {
public:
    static void install() { ::testing::AddGlobalTestEnvironment(new GuiEnvironment); }
    void SetUp() override {
        static int argc = 1;
        static char name[] = "quillet-test";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QGuiApplication> m_app;
};

} // namespace quillet
