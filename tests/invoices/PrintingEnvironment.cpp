// The start-up wiring of the printing subsystem, once per test program.
#include "printing/PrintInvoice.h"

#include <gtest/gtest.h>

namespace {
class PrintingEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        InstallFontSubstitutions();
        InstallPrintTemplateStore();
    }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new PrintingEnvironment);
}  // namespace
