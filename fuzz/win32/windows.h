/* Native build: the Win32 names come from the stand-in. */
#include "win32_stand_in.h"
