// Entry point of the Windows-side tests: one single-threaded apartment for the whole run.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (FAILED(CoInitialize(nullptr))) return 2;
    int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
