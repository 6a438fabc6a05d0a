#include "pump.h"

bool PumpUntil(const std::function<bool()> &done, DWORD dwTimeoutMs, HWND hDialog) {
    DWORD dwStart = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (hDialog && IsWindow(hDialog) && IsDialogMessageW(hDialog, &msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done())
            return true;
        if (GetTickCount() - dwStart >= dwTimeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, NULL, FALSE, 5, QS_ALLINPUT);
    }
}

void PumpFor(DWORD dwMs) {
    PumpUntil([] { return false; }, dwMs);
}
