/* The library's interface from plain C: every header compiles as C and the calls link.
   Usage: capicheck RECORDING EXPECTED_SAMPLES; exits 0 when the decode gives that many. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "telemetry/kalgpsapi.h"

int main(int argc, char** argv)
{
    char version[12];
    char* text = NULL;
    unsigned char block[132];
    int rise = -1, set = -1, n;
    if (argc != 3)
        return 2;
    if (kalGpsVersion(version) != 11 || strcmp(version, "V2019.11.28") != 0)
        return 1;
    kalGpsInit();
    kalGpsReadCallBack(NULL);
    n = kalGpsDecode(&text, argv[1], 0);
    if (n != atoi(argv[2]) || !text || text[strlen(text) - 1] != ';')
        return 1;
    free(text);
    if (kalGpsDataVersion() != 1 || kalGpsEnablePasswd() != 0)
        return 1;
    kalGpsExit();
    kalGpsGetSunTimer(&rise, &set, 8, 2026, 6, 21, 114.0f, 22.5f);
    if (rise <= 0 || set <= rise)
        return 1;
    KalSetEncType(1);
    if (MakeEncryptDataBlock(0, "2026/06/21 10:00:00", 19, block) != 0 || memcmp(block, "####", 4) != 0)
        return 1;
    printf("C interface ok: %d samples\n", n);
    return 0;
}
