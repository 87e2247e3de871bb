/* A stand-in libXinerama.so.1 for the two-monitor scenarios (Wine asks it for the
   monitors when X has no RandR): two side by side on one 2304x800 screen. */
#include <stdlib.h>
#include <string.h>

typedef struct {
    int screen;
    short x, y, width, height;
} Screen;

int XineramaQueryExtension(void* display, int* event, int* error) {
    *event = *error = 0;
    return 1;
}

int XineramaQueryVersion(void* display, int* major, int* minor) {
    *major = *minor = 1;
    return 1;
}

int XineramaIsActive(void* display) {
    return 1;
}

/* Freed by the caller with XFree, which is free. */
Screen* XineramaQueryScreens(void* display, int* number) {
    static const Screen screens[2] = {{0, 0, 0, 1280, 800}, {1, 1280, 0, 1024, 768}};
    Screen* copy = malloc(sizeof(screens));
    *number = copy != NULL ? 2 : 0;
    return copy != NULL ? memcpy(copy, screens, sizeof(screens)) : NULL;
}
