/*
 * input_seam.h - the engine's edge with the system: input injection, launches, the
 * keyboard settings, the millisecond clock and whether Zan runs under WOW64.
 * Production uses the real calls; the tests put recorders and a chosen clock here.
 */
#ifndef ZAN_INPUT_SEAM_H
#define ZAN_INPUT_SEAM_H

#include <windows.h>

typedef struct INPUT_SEAM {
    UINT      (WINAPI *pfnSendInput)(UINT cInputs, LPINPUT pInputs, int cbSize);
    HINSTANCE (WINAPI *pfnShellExecute)(HWND hWnd, LPCWSTR pszVerb, LPCWSTR pszFile,
                                        LPCWSTR pszParameters, LPCWSTR pszDirectory, INT nShow);
    BOOL      (WINAPI *pfnSystemParametersInfo)(UINT uAction, UINT uParam, PVOID pvParam, UINT fWinIni);
    DWORD     (WINAPI *pfnTimeGetTime)(void);
    BOOL      (WINAPI *pfnIsWow64Process)(HANDLE hProcess, PBOOL pbWow64);
} INPUT_SEAM;

extern INPUT_SEAM g_Seam;

/* Takes the record's calls; NULL puts the real ones back. */
void SetInputSeam(const INPUT_SEAM *pSeam);

#endif
