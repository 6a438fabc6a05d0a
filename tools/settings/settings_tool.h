/*
 * settings_tool.h - zanset: prints, checks and converts Zan settings files.
 */
#ifndef ZAN_SETTINGS_TOOL_H
#define ZAN_SETTINGS_TOOL_H

#include <string>

#include "assignment.h"

#define TOOL_EXIT_OK      0
#define TOOL_EXIT_FAILED  1   /* a file does not load, or the converted file can't be written */
#define TOOL_EXIT_USAGE   2

/* Why a load failed, in words. */
LPCWSTR DescribeLoadFailure(int nResult);

/* The whole set as text, one line per slot. */
void DescribeSet(const ASSIGNMENT_SET *pSet, std::wstring *pText);

/* Runs one command (argv[0] is the program); returns the exit status. */
int RunSettingsTool(int argc, WCHAR **argv, std::wstring *pOut, std::wstring *pErr);

#endif
