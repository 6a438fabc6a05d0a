/* launch_marker - appends one line to launch_marker.log in its working folder (Zan's, which the
   test sets to its own folder) each time it is started. */
#include <stdio.h>

int main(void) {
    FILE *pFile = fopen("launch_marker.log", "a");
    if (!pFile)
        return 1;
    fputs("launched\n", pFile);
    fclose(pFile);
    return 0;
}
