/* A stand-in libXinerama.so.1 for the two-monitor scenarios: Wine asks it for the
   monitors when the X server has no RandR. Two side by side on one 2304x800 screen,
   of different heights, the right one at the top. */
#include <stdlib.h>

typedef struct {
    int screen_number;
    short x_org, y_org, width, height;
} XineramaScreenInfo;

int XineramaQueryExtension(void* display, int* event_base, int* error_base) {
    *event_base = *error_base = 0;
    return 1;
}

int XineramaQueryVersion(void* display, int* major, int* minor) {
    *major = 1;
    *minor = 1;
    return 1;
}

int XineramaIsActive(void* display) {
    return 1;
}

/* The caller frees the list with XFree, which is free. */
XineramaScreenInfo* XineramaQueryScreens(void* display, int* number) {
    static const XineramaScreenInfo screens[2] = {{0, 0, 0, 1280, 800}, {1, 1280, 0, 1024, 768}};
    XineramaScreenInfo* copy = malloc(sizeof(screens));
    *number = copy != NULL ? 2 : 0;
    if (copy != NULL) {
        copy[0] = screens[0];
        copy[1] = screens[1];
    }
    return copy;
}
