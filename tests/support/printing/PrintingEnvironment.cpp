// What the program installs at start-up: the font substitutions and the template store.
#include "printing/PrintInvoice.h"

#include <gtest/gtest.h>

namespace {
class TPrintingEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        InstallFontSubstitutions();
        InstallPrintTemplateStore();
    }
};

[[maybe_unused]] ::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new TPrintingEnvironment);
}  // namespace
