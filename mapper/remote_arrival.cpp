/* remote_arrival.cpp - Nintendo's vendor id in a device interface name. */
#include "remote_arrival.h"

#include <wctype.h>

static const WCHAR REMOTE_VENDOR[] = L"057E";
#define VENDOR_DIGITS    4
#define BLUETOOTH_DIGITS 8   /* the id's source, then the id */

static int IsSameText(LPCWSTR psz, LPCWSTR pszUpper, int cch)
{
    for (int i = 0; i < cch; i++)
        if (towupper(psz[i]) != pszUpper[i])
            return 0;
    return 1;
}

int IsRemoteInterfaceName(LPCWSTR pszName)
{
    if (!pszName)
        return 0;
    for (LPCWSTR p = pszName; *p; p++) {
        if (!IsSameText(p, L"VID", 3))
            continue;
        LPCWSTR pszDigits = p + 3;
        if (*pszDigits == L'_' || *pszDigits == L'&')
            pszDigits++;
        int cch = 0;
        while (iswxdigit(pszDigits[cch]))
            cch++;
        if ((cch == VENDOR_DIGITS || cch == BLUETOOTH_DIGITS) &&
            IsSameText(pszDigits + cch - VENDOR_DIGITS, REMOTE_VENDOR, VENDOR_DIGITS))
            return 1;
    }
    return 0;
}
