// Which arriving HID interfaces are worth looking for a remote.
#include <gtest/gtest.h>

#include "remote_arrival.h"

TEST(RemoteArrival, NintendosVendorInTheInterfaceName) {
    const struct { const wchar_t *name; int bRemote; } cases[] = {
        {L"\\\\?\\HID#{00001124-0000-1000-8000-00805f9b34fb}_VID&0002057e_PID&0306#8&1&0", 1},
        {L"\\\\?\\hid#vid_057e&pid_0330#7&2&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}", 1},
        {L"\\\\?\\HID#VID_046D&PID_C077#7&1&0000", 0},                 // a mouse
        {L"\\\\?\\HID#VID_1057E&PID_0306", 0},                         // five digits: no vendor id
        {L"\\\\?\\HID#VID_057&PID_E306", 0},
        {L"", 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.bRemote, IsRemoteInterfaceName(c.name)) << &c - cases;
}
