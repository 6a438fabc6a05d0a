/* fuzz_target.cpp - the libFuzzer entry of one harness, chosen by FUZZ_HARNESS when built. */
#include <stdio.h>
#include <stdlib.h>

#include "fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *pData, size_t cb)
{
    const char *pszFault = FUZZ_HARNESS(pData, cb);
    if (pszFault) {
        fprintf(stderr, "harness: %s\n", pszFault);
        abort();
    }
    return 0;
}
