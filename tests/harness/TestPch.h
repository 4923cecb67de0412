// Precompiled for every test program.
#include <windows.h>
#include <gtest/gtest.h>
