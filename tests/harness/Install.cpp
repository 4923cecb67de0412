// Boot step of the test session: installs the test printer's driver, its
// language module and the shared test printer (see TestPrinter.h).
#include "TestPrinter.h"

#include <cstdio>

int main()
{
    std::wstring message;
    if (!harness::installTestPrinter(&message)) {
        std::fwprintf(stderr, L"bq_install: %ls\n", message.c_str());
        return 1;
    }
    std::fwprintf(stdout, L"bq_install: printer \"%ls\" ready\n", harness::kPrinterName);
    return 0;
}
