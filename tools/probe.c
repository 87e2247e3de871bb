/* Proves that a Wine launcher runs the project's code: prints its pointer width and
   ends with exit code 7, which no failed start gives. */
#include <stdio.h>

int main(void) {
    printf("probe %u-bit\n", (unsigned)(sizeof(void*) * 8));
    return 7;
}
