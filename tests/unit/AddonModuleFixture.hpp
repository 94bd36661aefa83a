// The add-on's module as the host loads it, here from this test program, which links
// the add-on's resources; in English, and unloaded again after each test together
// with any dialog driver the test set.
#pragma once

#include <gtest/gtest.h>

#include "TestSupport.hpp"
#include "kit/DialogDriver.hpp"
#include "language/Language.hpp"
#include "shell/Module.hpp"

namespace velmora::test {

class AddonModuleTest : public ::testing::Test {
protected:
    void SetUp() override { velmora::shell::OnModuleLoad(TestProgramModule()); }
    void TearDown() override
    {
        kit::SetDialogDriver(nullptr);
        velmora::shell::OnModuleUnload();
        velmora::language::CurrentLanguage = 1;
    }
};

} // namespace velmora::test
