// Process-wide values: their initial contents and the hand-off of the input copies.
#include <gtest/gtest.h>

#include "assignment.h"
#include "program_state.h"

namespace {

// Runs first in its own process, before anything has changed the values.
TEST(ProgramState, StartsWithTheInitialValues)
{
    EXPECT_EQ(-1, g_State.nSelectedRemote);
    EXPECT_EQ(1, g_State.bRunning);
    EXPECT_EQ(WMEXT_NONE, g_State.nExtensionKind);
    EXPECT_EQ(0, g_State.bModified);
    EXPECT_STREQ(L"", g_State.szCurrentFile);
    EXPECT_EQ(0, g_State.nBatteryLevel);
    WM_KEY key;
    WM_KEYEX keyEx;
    memset(&key, 0x5A, sizeof(key));
    memset(&keyEx, 0x5A, sizeof(keyEx));
    ReadInputCopies(&key, &keyEx);
    const int *keyFields = &key.nA;
    for (int f = 0; f < WM_KEY_FIELDS; f++)
        EXPECT_EQ(0, keyFields[f]);
    for (int field : keyEx.anField)
        EXPECT_EQ(0, field);
    // The current set is the fresh record before any load.
    EXPECT_EQ(SET_VERSION_FRESH, g_CurrentSet.dwVersion);
    EXPECT_EQ(1, g_CurrentSet.abLed[0]);
    EXPECT_EQ(0, g_CurrentSet.abLed[1] + g_CurrentSet.abLed[2] + g_CurrentSet.abLed[3]);
    for (const ASSIGNMENT &a : g_CurrentSet.aAssign) {
        EXPECT_EQ(ASSIGN_DISABLED, a.nKind);
        EXPECT_EQ(nullptr, a.pszPath);
    }
}

const int kStores = 200000;

DWORD WINAPI StoreRising(LPVOID)
{
    for (int i = 1; i <= kStores; i++) {
        WM_KEY key;
        int *fields = &key.nA;
        for (int f = 0; f < WM_KEY_FIELDS; f++)
            fields[f] = i;
        StoreKeyCopy(&key);
    }
    return 0;
}

TEST(ProgramState, EngineNeverSeesAHalfReplacedCopy)
{
    HANDLE writer = CreateThread(NULL, 0, StoreRising, NULL, 0, NULL);
    ASSERT_NE(nullptr, writer);
    int last = 0, reads = 0;
    bool torn = false, backwards = false;
    do {
        WM_KEY key;
        WM_KEYEX keyEx;
        ReadInputCopies(&key, &keyEx);
        const int *fields = &key.nA;
        for (int f = 1; f < WM_KEY_FIELDS; f++)
            torn |= fields[f] != fields[0];
        backwards |= fields[0] < last;
        last = fields[0];
        reads++;
    } while (WaitForSingleObject(writer, 0) == WAIT_TIMEOUT);
    CloseHandle(writer);
    EXPECT_FALSE(torn);
    EXPECT_FALSE(backwards);
    WM_KEY key;
    WM_KEYEX keyEx;
    ReadInputCopies(&key, &keyEx);
    EXPECT_EQ(kStores, key.nA) << "the latest store arrives";
    EXPECT_GT(reads, 1);

    SetSelectedRemote(4);  // a new remote starts from released buttons
    ReadInputCopies(&key, &keyEx);
    EXPECT_EQ(0, key.nA);
    EXPECT_EQ(0, key.nAccZ);
    EXPECT_EQ(4, g_State.nSelectedRemote);
}

}  // namespace
