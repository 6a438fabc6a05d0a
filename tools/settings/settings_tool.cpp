/*
 * settings_tool.cpp - the commands of zanset.
 */
#include "settings_tool.h"

#include "setting_file.h"

static const WCHAR USAGE[] =
    L"usage: zanset show FILE.zan          print the settings as text\n"
    L"       zanset check FILE.zan...      tell whether each file loads, and what it corrects\n"
    L"       zanset convert IN.zan OUT.zan write IN as a version-3 file (with its extra block)\n";

static int LoadOrExplain(LPCWSTR pszPath, ASSIGNMENT_SET *pSet, std::wstring *pErr)
{
    int nResult = ReadSettingFile(pszPath, pSet, 1);
    if (nResult != LOAD_OK) {
        *pErr += pszPath;
        *pErr += L": ";
        *pErr += DescribeLoadFailure(nResult);
        *pErr += L"\n";
    }
    return nResult == LOAD_OK;
}

static int CountPaths(const ASSIGNMENT_SET *pSet)
{
    int n = 0;
    for (int i = 0; i < ASSIGN_SLOTS; i++)
        n += (pSet->aAssign[i].pszPath != NULL) + (pSet->aLayer2[i].pszPath != NULL);
    return n;
}

/* Why the extra block was not loaded, or NULL when there is nothing to say: bytes that are
 * no block are told as bytes after the end, as ever. */
static LPCWSTR DescribeExtras(int nExtras)
{
    switch (nExtras) {
    case EXTRAS_TRUNCATED:   return L"it ends before its header or its length does (truncated)";
    case EXTRAS_BAD_LENGTH:  return L"its length does not run exactly to the end of the file";
    case EXTRAS_BAD_VERSION: return L"its version is unknown to this Zan";
    case EXTRAS_BAD_KIND:    return L"a slot's kind in it contradicts the version-3 part";
    case EXTRAS_BAD_PATH:    return L"its layer-2 path lengths do not match its length";
    }
    return NULL;
}

static void AppendExtrasNote(const LOAD_NOTES *pNotes, std::wstring *pOut)
{
    if (pNotes->nExtras == EXTRAS_READ) {
        *pOut += L"  extra block: press modes, layer slots and layer 2 loaded\n";
        return;
    }
    LPCWSTR pszWhy = DescribeExtras(pNotes->nExtras);
    if (!pszWhy)
        return;
    *pOut += L"  extra block (press modes, layer 2) ignored, the version-3 part loads alone: ";
    *pOut += pszWhy;
    if (pNotes->nExtras == EXTRAS_BAD_VERSION)
        *pOut += L" (" + std::to_wstring(pNotes->dwExtraVersion) + L")";
    *pOut += L"\n";
}

static int ShowFile(LPCWSTR pszPath, std::wstring *pOut, std::wstring *pErr)
{
    ASSIGNMENT_SET set;
    InitAssignmentSet(&set);
    if (!LoadOrExplain(pszPath, &set, pErr))
        return TOOL_EXIT_FAILED;
    *pOut += L"file ";
    *pOut += pszPath;
    *pOut += L"\n";
    DescribeSet(&set, pOut);
    ReleaseAssignmentPaths(&set);
    return TOOL_EXIT_OK;
}

static int CheckFiles(int nFiles, WCHAR **ppszPath, std::wstring *pOut, std::wstring *pErr)
{
    int nStatus = TOOL_EXIT_OK;
    for (int i = 0; i < nFiles; i++) {
        ASSIGNMENT_SET set;
        InitAssignmentSet(&set);
        LOAD_NOTES notes = { 0, 0, EXTRAS_NONE, 0 };
        int nResult = InspectSettingFile(ppszPath[i], &set, &notes);
        if (nResult != LOAD_OK) {
            *pErr += ppszPath[i];
            *pErr += L": ";
            *pErr += DescribeLoadFailure(nResult);
            *pErr += L"\n";
            nStatus = TOOL_EXIT_FAILED;
            continue;
        }
        *pOut += ppszPath[i];
        *pOut += L": loads, version " + std::to_wstring(set.dwVersion) + L", "
               + std::to_wstring(CountPaths(&set)) + L" application paths\n";
        /* Zan loads such a file too, but not byte for byte: say what it passes over. */
        AppendExtrasNote(&notes, pOut);
        if (notes.llTrailingBytes)
            *pOut += L"  bytes after the end of the settings, ignored: " + std::to_wstring(notes.llTrailingBytes) + L"\n";
        if (notes.nNormalized)
            *pOut += L"  values out of range, replaced as Zan loads them: " + std::to_wstring(notes.nNormalized) + L"\n";
        ReleaseAssignmentPaths(&set);
    }
    return nStatus;
}

static int ConvertFile(LPCWSTR pszIn, LPCWSTR pszOut, std::wstring *pOut, std::wstring *pErr)
{
    if (lstrlenW(pszOut) >= SETTING_PATH_CHARS) {
        *pErr += L"the output path is longer than 259 characters\n";
        return TOOL_EXIT_FAILED;
    }
    ASSIGNMENT_SET set;
    InitAssignmentSet(&set);
    if (!LoadOrExplain(pszIn, &set, pErr))
        return TOOL_EXIT_FAILED;
    WCHAR szOut[SETTING_PATH_CHARS];
    lstrcpyW(szOut, pszOut);
    int bSaved = WriteSettingFile(szOut, &set, 1);
    ReleaseAssignmentPaths(&set);
    if (!bSaved) {
        *pErr += szOut;
        *pErr += L": cannot be written; any earlier file of that name is unchanged\n";
        return TOOL_EXIT_FAILED;
    }
    *pOut += L"wrote ";
    *pOut += szOut;
    *pOut += L"\n";
    return TOOL_EXIT_OK;
}

int RunSettingsTool(int argc, WCHAR **argv, std::wstring *pOut, std::wstring *pErr)
{
    std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"show" && argc == 3)
        return ShowFile(argv[2], pOut, pErr);
    if (command == L"check" && argc >= 3)
        return CheckFiles(argc - 2, argv + 2, pOut, pErr);
    if (command == L"convert" && argc == 4)
        return ConvertFile(argv[2], argv[3], pOut, pErr);
    *pErr += USAGE;
    return TOOL_EXIT_USAGE;
}
