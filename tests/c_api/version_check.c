// SPDX-License-Identifier: Apache-2.0
/* The version a caller compiles against (velmora/version.h, through velmora/sms.h) and the
 * one the loaded libvelmora-sms reports: the same release, and the macros agree with the
 * string. Prints the version for the install test to compare with the project's. */
#include <stdio.h>
#include <string.h>

#include "velmora/sms.h"

#if !defined(VELMORA_VERSION_NUMBER) || VELMORA_VERSION_NUMBER < 20100
#error "velmora/sms.h does not bring VELMORA_VERSION_NUMBER usable in #if"
#endif

int main(void) {
    unsigned major = 0, minor = 0, patch = 0;
    char rest = 0;
    int fields = sscanf(VELMORA_VERSION_STRING, "%u.%u.%u%c", &major, &minor, &patch, &rest);
    if (fields != 3 || major != VELMORA_VERSION_MAJOR || minor != VELMORA_VERSION_MINOR ||
        patch != VELMORA_VERSION_PATCH || major * 10000 + minor * 100 + patch != VELMORA_VERSION_NUMBER) {
        fprintf(stderr, "FAILED: VELMORA_VERSION_STRING \"%s\" against %d.%d.%d, number %ld\n",
                VELMORA_VERSION_STRING, VELMORA_VERSION_MAJOR, VELMORA_VERSION_MINOR, VELMORA_VERSION_PATCH,
                (long)VELMORA_VERSION_NUMBER);
        return 1;
    }
    if (strcmp(velmora_version(), VELMORA_VERSION_STRING) != 0) {
        fprintf(stderr, "FAILED: velmora_version() \"%s\", headers %s\n", velmora_version(), VELMORA_VERSION_STRING);
        return 1;
    }
    printf("velmora %s\n", velmora_version());
    return 0;
}
