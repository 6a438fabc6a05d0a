/* main.cpp - Zan's entry point. */
#include "app.h"
#include "single_instance.h"
#include "thread_name.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR pszCommandLine, int nCmdShow)
{
    (void)hPrevInstance;
    NameCurrentThread(L"Zan main");
    INSTANCE_CLAIM claim;
    /* A second start hands its command line to the running Zan before it opens anything. */
    if (!ClaimInstance(&claim, hInstance, pszCommandLine))
        return (int)claim.dwError;
    HWND hWnd = StartZan(hInstance, pszCommandLine, nCmdShow, NULL);
    int nExit = 0;
    if (hWnd) {
        MarkInstanceWindow(hWnd);
        nExit = RunMessageLoop();
    }
    ReleaseInstance(&claim);
    return nExit;
}
