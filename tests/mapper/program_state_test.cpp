// Process-wide values: the hand-off of the input copies between threads.
#include <gtest/gtest.h>

#include "assignment.h"
#include "program_state.h"

namespace {

const int kStores = 200000;

DWORD WINAPI StoreRising(LPVOID)
{
    for (int i = 1; i <= kStores; i++) {
        WM_KEY key;
        std::fill(&key.nA, &key.nA + WM_KEY_FIELDS, i);
        StoreKeyCopy(&key);
    }
    return 0;
}

// The engine reads while the window thread stores: never a half-replaced copy, never an
// older one after a newer, and the last store arrives. A new remote starts released.
TEST(ProgramState, EngineNeverSeesAHalfReplacedCopy)
{
    HANDLE writer = CreateThread(NULL, 0, StoreRising, NULL, 0, NULL);
    ASSERT_NE(nullptr, writer);
    WM_KEY key;
    WM_KEYEX keyEx;
    int last = 0, reads = 0;
    do {
        ReadInputCopies(&key, &keyEx);
        for (int f = 1; f < WM_KEY_FIELDS; f++)
            ASSERT_EQ((&key.nA)[0], (&key.nA)[f]) << "torn after " << reads << " reads";
        ASSERT_GE(key.nA, last) << "went backwards";
        last = key.nA;
        reads++;
    } while (WaitForSingleObject(writer, 0) == WAIT_TIMEOUT);
    CloseHandle(writer);
    ReadInputCopies(&key, &keyEx);
    EXPECT_EQ(kStores, key.nA) << "the latest store arrives";
    EXPECT_GT(reads, 1);

    SetSelectedRemote(4);
    ReadInputCopies(&key, &keyEx);
    EXPECT_EQ(0, key.nA);
    EXPECT_EQ(0, key.nAccZ);
    EXPECT_EQ(4, g_State.nSelectedRemote);
}

}  // namespace
