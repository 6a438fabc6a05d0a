/* launch_marker - appends one line to launch_marker.log beside itself each time it is started. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

int main(void) {
    char szPath[MAX_PATH];
    DWORD cch = GetModuleFileNameA(NULL, szPath, MAX_PATH);
    if (cch == 0 || cch >= MAX_PATH)
        return 1;
    char *pszSlash = strrchr(szPath, '\\');
    if (!pszSlash)
        return 1;
    strcpy(pszSlash + 1, "launch_marker.log");
    FILE *pFile = fopen(szPath, "a");
    if (!pFile)
        return 1;
    fprintf(pFile, "launched %lu\n", GetTickCount());
    fclose(pFile);
    return 0;
}
