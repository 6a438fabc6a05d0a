/* sim_remote_test.cpp - the simulated remote, driven through the HID device table only. */
#include "sim_remote.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

namespace {

typedef std::array<BYTE, 22> Report;
const DWORD WAIT_MS = 2000;
const BYTE SENTINEL = 0xEE;

struct Transfer {
    OVERLAPPED ov{};
    Report buffer{};
};

class SimTest : public ::testing::Test {
protected:
    SIM_REMOTE *pSim = nullptr;
    std::vector<HANDLE> events;

    void SetUp() override
    {
        SimInstall();
        pSim = SimAddRemote();
    }
    void TearDown() override
    {
        SimUninstall();
        for (HANDLE h : events)
            CloseHandle(h);
    }
    HANDLE Open(SIM_REMOTE *pDev, DWORD dwAccess = GENERIC_READ | GENERIC_WRITE,
                DWORD dwFlags = FILE_FLAG_OVERLAPPED)
    {
        HANDLE h = g_HidIo.pfnCreateFileW(SimDevicePath(pDev), dwAccess, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, dwFlags, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, h);
        return h;
    }
    void Prepare(Transfer &t)
    {
        t.ov = OVERLAPPED{};
        t.ov.hEvent = CreateEventW(nullptr, FALSE, TRUE, nullptr); /* auto-reset, signalled */
        events.push_back(t.ov.hEvent);
        t.buffer.fill(SENTINEL);
    }
    BOOL Write(HANDLE h, Transfer &t, std::initializer_list<BYTE> bytes, DWORD cb = 22)
    {
        Prepare(t);
        std::copy(bytes.begin(), bytes.end(), t.buffer.begin());
        std::fill(t.buffer.begin() + bytes.size(), t.buffer.end(), 0);
        DWORD cbDone = 0;
        return g_HidIo.pfnWriteFile(h, t.buffer.data(), cb, &cbDone, &t.ov);
    }
    void Send(HANDLE h, std::initializer_list<BYTE> bytes)
    {
        Transfer t;
        ASSERT_TRUE(Write(h, t, bytes));
    }
    BOOL StartRead(HANDLE h, Transfer &t)
    {
        Prepare(t);
        DWORD cb = 0;
        return g_HidIo.pfnReadFile(h, t.buffer.data(), 22, &cb, &t.ov);
    }
    void StartPendingRead(HANDLE h, Transfer &t)
    {
        ASSERT_FALSE(StartRead(h, t));
        ASSERT_EQ((DWORD)ERROR_IO_PENDING, GetLastError());
        EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(t.ov.hEvent, 0)); /* reset by the read */
    }
    /* The next report; a streaming remote's next one comes within 10 ms. */
    Report ReadNow(HANDLE h)
    {
        Transfer t;
        if (!StartRead(h, t))
            EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(t.ov.hEvent, WAIT_MS)) << "no report came";
        EXPECT_EQ(22u, t.ov.InternalHigh);
        return t.buffer;
    }
    /* The first report of this id, passing over streamed data reports. */
    Report NextOf(HANDLE h, BYTE bId)
    {
        for (int i = 0; i < 40; i++) {
            Report r = ReadNow(h);
            if (r[0] == bId)
                return r;
        }
        ADD_FAILURE() << "no report " << (int)bId;
        return Report{};
    }
    /* The next streamed report, after the queued ones are dropped. */
    Report Fresh(HANDLE h)
    {
        g_HidIo.pfnHidD_FlushQueue(h);
        return ReadNow(h);
    }
    DWORD ResultError(HANDLE h, Transfer &t, BOOL bWait)
    {
        DWORD cb = 0;
        return g_HidIo.pfnGetOverlappedResult(h, &t.ov, &cb, bWait) ? ERROR_SUCCESS : GetLastError();
    }
};

Report Bytes(std::initializer_list<BYTE> bytes)
{
    Report r{};
    std::copy(bytes.begin(), bytes.end(), r.begin());
    return r;
}

TEST_F(SimTest, MemoryReadOfTwentyBytesComesInTwoReplies)
{
    BYTE abPattern[20];
    for (int i = 0; i < 20; i++)
        abPattern[i] = (BYTE)(0x40 + i);
    SimWriteMemory(pSim, 0x0100, abPattern, 20);
    SimSetButtons(pSim, 0x08, 0x04);
    HANDLE h = Open(pSim);
    Send(h, {0x17, 0x00, 0x00, 0x01, 0x00, 0x00, 20});
    Report first = ReadNow(h), second = ReadNow(h);
    EXPECT_EQ(Bytes({0x21, 0x08, 0x04, 0xF0, 0x01, 0x00, 0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47,
                     0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D, 0x4E, 0x4F}), first);
    EXPECT_EQ(Bytes({0x21, 0x08, 0x04, 0x30, 0x01, 0x10, 0x50, 0x51, 0x52, 0x53}), second);

    /* Identities differ between remotes. */
    HANDLE hOther = Open(SimAddRemote());
    Send(h, {0x17, 0x00, 0x00, 0x00, 0x00, 0x00, 9});
    Send(hOther, {0x17, 0x00, 0x00, 0x00, 0x00, 0x00, 9});
    Report mine = ReadNow(h), theirs = ReadNow(hOther);
    EXPECT_EQ(0x80, mine[3]);
    EXPECT_NE(mine, theirs);
}

TEST_F(SimTest, MemoryReplyFaults)
{
    HANDLE h = Open(pSim);
    SimSetReplyOffset(pSim, 2);
    Send(h, {0x17, 0x00, 0x00, 0x00, 0x16, 0x00, 7});
    Report shifted = ReadNow(h);
    EXPECT_EQ(Bytes({0x21, 0, 0, 0x60, 0x00, 0x18, 0x80, 0x80, 0x80, 0x00, 0x9A, 0x9B, 0x9C}), shifted);
    SimSetReplyOffset(pSim, 0);
    SimSetMemoryError(pSim, 8);
    Send(h, {0x17, 0x00, 0x00, 0x00, 0x16, 0x00, 7});
    EXPECT_EQ(0x08, ReadNow(h)[3]);
    SimSetMemoryError(pSim, 0);
    Send(h, {0x17, 0x04, 0xA4, 0x00, 0xFA, 0x00, 6}); /* nothing plugged */
    EXPECT_EQ(0x07, ReadNow(h)[3] & 0x0F);
}

TEST_F(SimTest, ExtensionPlugInitialiseAndIdentify)
{
    HANDLE h = Open(pSim);
    SimPlugExtension(pSim, SIM_EXT_NUNCHUK, nullptr);
    EXPECT_EQ(Bytes({0x20, 0, 0, 0x02, 0, 0, 0xC0}), ReadNow(h)); /* unrequested status */
    const Report nunchukId = Bytes({0x21, 0, 0, 0x50, 0x00, 0xFA, 0x00, 0x00, 0xA4, 0x20, 0x00, 0x00});
    Send(h, {0x16, 0x04, 0xA4, 0x00, 0xFB, 0x01, 0x00}); /* out of order: not initialised */
    Send(h, {0x16, 0x04, 0xA4, 0x00, 0xF0, 0x01, 0x55});
    EXPECT_FALSE(SimExtensionInitialised(pSim));
    Send(h, {0x16, 0x04, 0xA4, 0x00, 0xFB, 0x01, 0x00});
    EXPECT_TRUE(SimExtensionInitialised(pSim));
    for (int nAck = 0; nAck < 3; nAck++)
        EXPECT_EQ(Bytes({0x22, 0, 0, 0x16, 0x00}), ReadNow(h));
    SimSetExtensionNotReady(pSim, 1);
    Send(h, {0x17, 0x04, 0xA4, 0x00, 0xFA, 0x00, 6});
    Send(h, {0x17, 0x04, 0xA4, 0x00, 0xFA, 0x00, 6});
    EXPECT_EQ(Bytes({0x21, 0, 0, 0x50, 0x00, 0xFA, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), ReadNow(h));
    EXPECT_EQ(nunchukId, ReadNow(h));
    Send(h, {0x17, 0x04, 0xA4, 0x00, 0x20, 0x00, 16});
    EXPECT_EQ(Bytes({0x21, 0, 0, 0xF0, 0x00, 0x20, 0x80, 0x80, 0x80, 0x00, 0xB3, 0xB3, 0xB3, 0x00, 0xE0,
                     0x20, 0x80, 0xE0, 0x20, 0x80, 0x00, 0x00}),
              ReadNow(h));

    SimUnplugExtension(pSim);
    EXPECT_EQ(Bytes({0x20, 0, 0, 0x00, 0, 0, 0xC0}), ReadNow(h));
    EXPECT_FALSE(SimExtensionInitialised(pSim));
}

TEST_F(SimTest, StatusRequestAndOutputLog)
{
    SimSetBattery(pSim, 0x55, 1);
    SimSetButtons(pSim, 0x10, 0x80);
    HANDLE h = Open(pSim);
    HANDLE hWrite = Open(pSim, GENERIC_WRITE, 0);
    Send(h, {0x11, 0x91});
    EXPECT_EQ(0x9, SimLeds(pSim));
    EXPECT_EQ(1, SimRumble(pSim));
    Report request = Bytes({0x15, 0x00});
    ASSERT_TRUE(g_HidIo.pfnHidD_SetOutputReport(hWrite, request.data(), 22));
    EXPECT_EQ(0, SimRumble(pSim));
    EXPECT_EQ(Bytes({0x20, 0x10, 0x80, 0x91, 0, 0, 0x55}), ReadNow(h));

    ASSERT_EQ(2, SimOutputCount(pSim));
    BYTE abOut[22];
    int nPath = -1;
    SimOutputAt(pSim, 0, abOut, &nPath);
    EXPECT_EQ(SIM_PATH_WRITE_FILE, nPath);
    EXPECT_EQ(0x91, abOut[1]);
    SimOutputAt(pSim, 1, abOut, &nPath);
    EXPECT_EQ(SIM_PATH_SET_REPORT, nPath);
    EXPECT_EQ(0x15, abOut[0]);
    SimClearOutputs(pSim);
    EXPECT_EQ(0, SimOutputCount(pSim));
}

TEST_F(SimTest, DataReportLayouts)
{
    SimSetButtons(pSim, 0x01, 0x02);
    SimSetAccel(pSim, 0x81, 0x82, 0x83);
    HANDLE h = Open(pSim);
    Send(h, {0x12, 0x04, 0x31});
    EXPECT_EQ(0x31, SimReportMode(pSim));
    EXPECT_EQ(1, SimContinuous(pSim));
    EXPECT_EQ(Bytes({0x31, 0x01, 0x02, 0x81, 0x82, 0x83}), Fresh(h));
    Send(h, {0x12, 0x04, 0x35});
    Report noExtension = Bytes({0x35, 0x01, 0x02, 0x81, 0x82, 0x83});
    std::fill(noExtension.begin() + 6, noExtension.end(), 0xFF);
    EXPECT_EQ(noExtension, Fresh(h));

    SimPlugExtension(pSim, SIM_EXT_NUNCHUK, nullptr);
    EXPECT_EQ(0x20, NextOf(h, 0x20)[0]);
    SimSetNunchuk(pSim, 0x12, 0x34, 0x2AB, 0x155, 0x3FF, 1, 0);
    EXPECT_EQ(Bytes({0x35, 0x01, 0x02, 0x81, 0x82, 0x83, 0x12, 0x34, 0xAA, 0x55, 0xFF, 0xDD}), Fresh(h));

    SimPlugExtension(pSim, SIM_EXT_CLASSIC, nullptr);
    EXPECT_EQ(0x20, NextOf(h, 0x20)[0]);
    SimSetClassic(pSim, 42, 5, 21, 7, 27, 3, 0x0001 | 0x4000); /* a and ZR */
    Send(h, {0x12, 0x04, 0x37});
    Report classic = Bytes({0x37, 0x01, 0x02, 0x81, 0x82, 0x83});
    const BYTE abExt[6] = {0xAA, 0x85, 0xE7, 0x63, 0xFF, 0xEB};
    std::copy(abExt, abExt + 6, classic.begin() + 16);
    EXPECT_EQ(classic, Fresh(h));

    /* Not continuous: a report only when the input changes. */
    Send(h, {0x12, 0x00, 0x31});
    g_HidIo.pfnHidD_FlushQueue(h);
    Transfer t;
    StartPendingRead(h, t);
    SimSetAccel(pSim, 0x90, 0x91, 0x92);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(t.ov.hEvent, WAIT_MS));
    EXPECT_EQ(Bytes({0x31, 0x01, 0x02, 0x90, 0x91, 0x92}), t.buffer);
}

TEST_F(SimTest, PendingReadsCompleteFromOtherThreads)
{
    HANDLE h = Open(pSim);
    Transfer t;
    StartPendingRead(h, t);
    EXPECT_EQ((DWORD)ERROR_IO_INCOMPLETE, ResultError(h, t, FALSE));
    std::thread script([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        SimSetButtons(pSim, 0x00, 0x08);
    });
    EXPECT_EQ((DWORD)ERROR_SUCCESS, ResultError(h, t, TRUE));
    script.join();
    EXPECT_EQ(Bytes({0x30, 0x00, 0x08}), t.buffer);

    const long LATENCY_MS = 80;
    SimSetReadLatency(pSim, LATENCY_MS);
    Send(h, {0x12, 0x04, 0x30});
    auto start = std::chrono::steady_clock::now();
    StartPendingRead(h, t);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(t.ov.hEvent, WAIT_MS));
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), LATENCY_MS - 10);
    EXPECT_EQ(Bytes({0x30, 0x00, 0x08}), t.buffer);
}

TEST_F(SimTest, CancelAndCloseEndPendingReads)
{
    HANDLE h = Open(pSim);
    SimSetFaults(pSim, SIM_FAULT_NO_ANSWER);
    Transfer t;
    StartPendingRead(h, t);
    ASSERT_TRUE(g_HidIo.pfnCancelIoEx(h, &t.ov));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(t.ov.hEvent, 0));
    EXPECT_EQ((DWORD)ERROR_OPERATION_ABORTED, ResultError(h, t, TRUE));
    EXPECT_FALSE(g_HidIo.pfnCancelIoEx(h, &t.ov));
    EXPECT_EQ((DWORD)ERROR_NOT_FOUND, GetLastError());
    SimSetFaults(pSim, 0);
    const BYTE abRaw[22] = {0x3F, 0x01};
    SimQueueReport(pSim, abRaw);
    Report untouched;
    untouched.fill(SENTINEL);
    EXPECT_EQ(untouched, t.buffer);
    EXPECT_EQ(0x3F, ReadNow(h)[0]); /* the report went to the next read instead */

    Transfer closing;
    StartPendingRead(h, closing);
    ASSERT_TRUE(g_HidIo.pfnCloseHandle(h));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(closing.ov.hEvent, 0));
    EXPECT_NE(0u, closing.ov.Internal);
    EXPECT_EQ(1, SimHandlesOpened());
    EXPECT_EQ(1, SimHandlesClosed());
    EXPECT_FALSE(g_HidIo.pfnCloseHandle(h));
    EXPECT_EQ(1, SimBadCloses());
    HANDLE hReal = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_TRUE(g_HidIo.pfnCloseHandle(hReal)); /* other handles reach the real call */
}

TEST_F(SimTest, EnumerationSizeThenFill)
{
    SimAddHidDevice(0x057E, 0x0330, SIM_DEV_OPEN_FAILS);
    SimAddHidDevice(0x1234, 0x5678, SIM_DEV_CAPS_FAIL);
    SIM_REMOTE *pOff = SimAddRemote();
    SimPowerOff(pOff);
    GUID guid;
    g_HidIo.pfnHidD_GetHidGuid(&guid);
    HDEVINFO hInfo = g_HidIo.pfnSetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    SP_DEVICE_INTERFACE_DATA iface = {};
    iface.cbSize = sizeof iface;
    std::vector<std::wstring> paths;
    DWORD dwIndex = 0;
    for (; g_HidIo.pfnSetupDiEnumDeviceInterfaces(hInfo, nullptr, &guid, dwIndex, &iface); dwIndex++) {
        DWORD cbNeeded = 0;
        EXPECT_FALSE(g_HidIo.pfnSetupDiGetDeviceInterfaceDetailW(hInfo, &iface, nullptr, 0, &cbNeeded, nullptr));
        EXPECT_EQ((DWORD)ERROR_INSUFFICIENT_BUFFER, GetLastError());
        std::vector<BYTE> storage(cbNeeded);
        auto *pDetail = (PSP_DEVICE_INTERFACE_DETAIL_DATA_W)storage.data();
        pDetail->cbSize = 0;
        EXPECT_FALSE(g_HidIo.pfnSetupDiGetDeviceInterfaceDetailW(hInfo, &iface, pDetail, cbNeeded, nullptr, nullptr));
        EXPECT_EQ((DWORD)ERROR_INVALID_USER_BUFFER, GetLastError());
        pDetail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
        EXPECT_FALSE(g_HidIo.pfnSetupDiGetDeviceInterfaceDetailW(hInfo, &iface, pDetail, cbNeeded - 1, nullptr, nullptr));
        EXPECT_EQ((DWORD)ERROR_INSUFFICIENT_BUFFER, GetLastError());
        ASSERT_TRUE(g_HidIo.pfnSetupDiGetDeviceInterfaceDetailW(hInfo, &iface, pDetail, cbNeeded, nullptr, nullptr));
        paths.push_back(pDetail->DevicePath);
    }
    EXPECT_EQ((DWORD)ERROR_NO_MORE_ITEMS, GetLastError());
    ASSERT_EQ(3u, paths.size()); /* the powered-off remote is not present */
    EXPECT_EQ(std::wstring(SimDevicePath(pSim)), paths[0]);
    EXPECT_EQ(1, SimDeviceListsOutstanding());
    EXPECT_TRUE(g_HidIo.pfnSetupDiDestroyDeviceInfoList(hInfo));
    EXPECT_EQ(0, SimDeviceListsOutstanding());

    auto open = [](const std::wstring &path) {
        return g_HidIo.pfnCreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    };
    EXPECT_EQ(INVALID_HANDLE_VALUE, open(paths[1]));
    EXPECT_EQ((DWORD)ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, open(SimDevicePath(pOff)));

    HANDLE h = open(paths[0]);
    HIDD_ATTRIBUTES attributes = {};
    EXPECT_FALSE(g_HidIo.pfnHidD_GetAttributes(h, &attributes));
    attributes.Size = sizeof attributes;
    ASSERT_TRUE(g_HidIo.pfnHidD_GetAttributes(h, &attributes));
    EXPECT_EQ(0x057E, attributes.VendorID);
    EXPECT_EQ(0x0306, attributes.ProductID);
    PHIDP_PREPARSED_DATA pData = nullptr;
    ASSERT_TRUE(g_HidIo.pfnHidD_GetPreparsedData(h, &pData));
    EXPECT_EQ(1, SimPreparsedOutstanding());
    HIDP_CAPS caps;
    ASSERT_EQ(HIDP_STATUS_SUCCESS, g_HidIo.pfnHidP_GetCaps(pData, &caps));
    EXPECT_EQ(22, caps.InputReportByteLength);
    EXPECT_EQ(22, caps.OutputReportByteLength);
    EXPECT_TRUE(g_HidIo.pfnHidD_FreePreparsedData(pData));
    EXPECT_EQ(0, SimPreparsedOutstanding());

    HANDLE hOther = open(paths[2]);
    ASSERT_TRUE(g_HidIo.pfnHidD_GetPreparsedData(hOther, &pData));
    EXPECT_NE(HIDP_STATUS_SUCCESS, g_HidIo.pfnHidP_GetCaps(pData, &caps));
    g_HidIo.pfnHidD_FreePreparsedData(pData);
}

TEST_F(SimTest, OutputPathAndTransferFaults)
{
    HANDLE h = Open(pSim);
    HANDLE hWrite = Open(pSim, GENERIC_WRITE, 0);
    Report leds = Bytes({0x11, 0x10});
    Transfer t;
    EXPECT_FALSE(Write(h, t, {0x11, 0x10}, 21));
    EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
    EXPECT_FALSE(g_HidIo.pfnHidD_SetOutputReport(hWrite, leds.data(), 23));

    SimSetFaults(pSim, SIM_FAULT_NO_SET_REPORT);
    EXPECT_FALSE(g_HidIo.pfnHidD_SetOutputReport(hWrite, leds.data(), 22));
    EXPECT_TRUE(Write(h, t, {0x11, 0x10}));
    SimSetFaults(pSim, SIM_FAULT_NO_WRITE_FILE);
    EXPECT_FALSE(Write(h, t, {0x11, 0x20}));
    EXPECT_TRUE(g_HidIo.pfnHidD_SetOutputReport(hWrite, leds.data(), 22));
    SimSetFaults(pSim, SIM_FAULT_WRITE_FAILS);
    EXPECT_FALSE(Write(h, t, {0x11, 0x20}));
    EXPECT_FALSE(g_HidIo.pfnHidD_SetOutputReport(hWrite, leds.data(), 22));
    EXPECT_EQ(2, SimOutputCount(pSim));

    SimSetFaults(pSim, SIM_FAULT_WRITE_PENDS);
    EXPECT_FALSE(Write(h, t, {0x11, 0x20}));
    EXPECT_EQ((DWORD)ERROR_IO_PENDING, GetLastError());
    ASSERT_TRUE(g_HidIo.pfnCancelIoEx(h, nullptr));
    EXPECT_EQ((DWORD)ERROR_OPERATION_ABORTED, ResultError(h, t, FALSE));
    EXPECT_EQ(2, SimOutputCount(pSim));

    SimSetFaults(pSim, SIM_FAULT_READ_FAILS);
    EXPECT_FALSE(StartRead(h, t));
    EXPECT_NE((DWORD)ERROR_IO_PENDING, GetLastError());
    SimSetFaults(pSim, 0);
    StartPendingRead(h, t);
    SimPowerOff(pSim);
    EXPECT_EQ((DWORD)ERROR_DEVICE_NOT_CONNECTED, ResultError(h, t, TRUE));
    EXPECT_FALSE(Write(h, t, {0x15}));
    EXPECT_EQ((DWORD)ERROR_DEVICE_NOT_CONNECTED, GetLastError());
}

} // namespace
