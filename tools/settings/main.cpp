/*
 * main.cpp - zanset's entry: arguments in UTF-16, output to a console as it is, to a
 * file or pipe as UTF-8 so saved listings can be compared with ordinary tools.
 */
#include <windows.h>
#include <shellapi.h>

#include "settings_tool.h"

static void WriteText(DWORD dwStdHandle, const std::wstring &text)
{
    if (text.empty())
        return;
    HANDLE hOut = GetStdHandle(dwStdHandle);
    DWORD dwMode;
    DWORD cWritten;
    if (GetConsoleMode(hOut, &dwMode)) {
        WriteConsoleW(hOut, text.c_str(), (DWORD)text.size(), &cWritten, NULL);
        return;
    }
    int cb = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), NULL, 0, NULL, NULL);
    std::string utf8((size_t)cb, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), &utf8[0], cb, NULL, NULL);
    WriteFile(hOut, utf8.data(), (DWORD)utf8.size(), &cWritten, NULL);
}

int main(void)
{
    int argc = 0;
    WCHAR **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv)
        return TOOL_EXIT_USAGE;
    std::wstring out, err;
    int nStatus = RunSettingsTool(argc, argv, &out, &err);
    LocalFree(argv);
    WriteText(STD_OUTPUT_HANDLE, out);
    WriteText(STD_ERROR_HANDLE, err);
    return nStatus;
}
