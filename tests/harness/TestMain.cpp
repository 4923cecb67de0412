// Test programs start the framework as the plug-in's DLL entry would, with
// the program as the module (it carries the plug-in's own resources).
#include <gtest/gtest.h>
#include "framework/AfxApp.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (!AfxWinInit(GetModuleHandleW(nullptr)))
        return 2;
    int rc = RUN_ALL_TESTS();
    AfxWinTerm(FALSE);
    return rc;
}
