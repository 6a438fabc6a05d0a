/* main.cpp - Zan's entry point. */
#include "app.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR pszCommandLine, int nCmdShow)
{
    (void)hPrevInstance;
    if (!StartZan(hInstance, pszCommandLine, nCmdShow, NULL))
        return 0;
    return RunMessageLoop();
}
