// Boot step of the test session: installs the test printer's driver, its
// language module and the shared test printer (see TestPrinter.h), and starts
// Wine's desktop while the boot's output goes to its log: the desktop process
// inherits the output handles of the program that shows the first window and
// keeps them open for the whole session.
#include "TestPrinter.h"

#include <cstdio>

namespace {

void StartDesktop()
{
    HWND w = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (w)
        DestroyWindow(w);
}

} // namespace

int main()
{
    std::wstring message;
    if (!harness::installTestPrinter(&message)) {
        std::fwprintf(stderr, L"bq_install: %ls\n", message.c_str());
        return 1;
    }
    std::fwprintf(stdout, L"bq_install: printer \"%ls\" ready\n", harness::kPrinterName);
    StartDesktop();
    return 0;
}
