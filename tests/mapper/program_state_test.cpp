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
