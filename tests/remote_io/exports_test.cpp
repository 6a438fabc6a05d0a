// tavel.dll as a client sees it: loaded by name, exports found by their plain names.
#include <gtest/gtest.h>
#include <windows.h>

#include "tavel.h"

namespace {

typedef int(WINAPI *VOID_EXPORT)(void);
typedef int(WINAPI *INT_EXPORT)(int);

struct Library {
    HMODULE h = LoadLibraryW(L"tavel.dll");
    ~Library() { if (h) FreeLibrary(h); }
    FARPROC Find(const char *name) const { return GetProcAddress(h, name); }
};

TEST(TavelExports, FrameExportsAreFoundByPlainName) {
    Library lib;
    ASSERT_NE(nullptr, lib.h) << "tavel.dll did not load, error " << GetLastError();
    for (const char *name : {"wm_Init", "wm_Close", "wm_Version", "wm_Count", "wm_Exist"})
        EXPECT_NE(nullptr, lib.Find(name)) << name;
    EXPECT_EQ(nullptr, lib.Find("_wm_Init@0"));
    EXPECT_EQ(nullptr, lib.Find("wm_Init@0"));
}

TEST(TavelExports, InitCountCloseThroughTheLoadedLibrary) {
    Library lib;
    ASSERT_NE(nullptr, lib.h);
    auto init = (VOID_EXPORT)lib.Find("wm_Init");
    auto close = (VOID_EXPORT)lib.Find("wm_Close");
    auto version = (VOID_EXPORT)lib.Find("wm_Version");
    auto count = (VOID_EXPORT)lib.Find("wm_Count");
    auto exist = (INT_EXPORT)(void *)lib.Find("wm_Exist");
    ASSERT_TRUE(init && close && version && count && exist);

    EXPECT_EQ(TAVEL_VERSION, version());
    EXPECT_EQ(0, count());
    EXPECT_EQ((DWORD)WME_NOT_INITIALIZED, GetLastError());
    ASSERT_EQ(1, init());
    EXPECT_EQ(0, count());
    EXPECT_EQ((DWORD)WME_SUCCESS, GetLastError());
    EXPECT_EQ(0, exist(-1));
    EXPECT_EQ((DWORD)WME_NONE, GetLastError());
    EXPECT_EQ(1, close());
    EXPECT_EQ(0, close());
}

// A client that unloads the library without wm_Close: the worker keeps the library loaded until
// it has ended, so it never runs unmapped code; wm_Close then lets the library go.
TEST(TavelExports, UnloadWithoutCloseLeavesNoWorkerInUnmappedCode) {
    HMODULE h = LoadLibraryW(L"tavel.dll");
    ASSERT_NE(nullptr, h);
    auto init = (VOID_EXPORT)GetProcAddress(h, "wm_Init");
    auto close = (VOID_EXPORT)GetProcAddress(h, "wm_Close");
    ASSERT_EQ(1, init());
    FreeLibrary(h);
    ASSERT_EQ(h, GetModuleHandleW(L"tavel.dll"));
    // The client takes the library again to close it; its own reference is then the last one.
    ASSERT_EQ(h, LoadLibraryW(L"tavel.dll"));
    EXPECT_EQ(1, close());
    FreeLibrary(h);
    EXPECT_EQ(nullptr, GetModuleHandleW(L"tavel.dll"));
}

}  // namespace
