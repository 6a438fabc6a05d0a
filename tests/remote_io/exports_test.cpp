// tavel.dll as a client sees it: loaded by name, exports found by their plain names.
#include <gtest/gtest.h>
#include <windows.h>

#include "tavel.h"
#include "version.h"

namespace {

typedef int(WINAPI *VOID_EXPORT)(void);

// A client that unloads the library without wm_Close: the worker keeps the library loaded until
// it has ended, so it never runs unmapped code; wm_Close then lets the library go.
TEST(TavelExports, PlainNamesAndUnloadWithoutClose) {
    HMODULE h = LoadLibraryW(L"tavel.dll");
    ASSERT_NE(nullptr, h) << "tavel.dll did not load, error " << GetLastError();
    EXPECT_EQ(nullptr, GetProcAddress(h, "_wm_Init@0"));
    EXPECT_EQ(nullptr, GetProcAddress(h, "wm_Init@0"));
    auto init = (VOID_EXPORT)(void *)GetProcAddress(h, "wm_Init");
    auto close = (VOID_EXPORT)(void *)GetProcAddress(h, "wm_Close");
    auto version = (VOID_EXPORT)(void *)GetProcAddress(h, "wm_Version");
    ASSERT_TRUE(init && close && version);
    EXPECT_EQ(TAVEL_VERSION, version());
    ASSERT_EQ(1, init());  // starts the worker
    FreeLibrary(h);
    ASSERT_EQ(h, GetModuleHandleW(L"tavel.dll"));
    // The client takes the library again to close it; its own reference is then the last one.
    ASSERT_EQ(h, LoadLibraryW(L"tavel.dll"));
    EXPECT_EQ(1, close());
    FreeLibrary(h);
    EXPECT_EQ(nullptr, GetModuleHandleW(L"tavel.dll"));
}

}  // namespace
