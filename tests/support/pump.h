// Message pumping for tests that wait for windows, dialogs and sent notifications.
#ifndef TEST_PUMP_H
#define TEST_PUMP_H

#include <windows.h>

#include <functional>

// Handles this thread's messages (sent ones included) until done() holds or the time is up.
// With hDialog, its dialog keys (Tab, Enter, Esc) go through IsDialogMessage as in a dialog loop.
bool PumpUntil(const std::function<bool()> &done, DWORD dwTimeoutMs = 5000, HWND hDialog = NULL);
void PumpFor(DWORD dwMs);

#endif
