// The program's own texts in two languages, looked up by identifier: the code that
// shows a text never knows which language it shows.
#pragma once

#include "base/text.h"

// One identifier per text; a new text is a row here and a row in each language's table.
enum TextId {
    TEXT_WINDOW_TITLE,       // %s: caption
    TEXT_OPTION_LIST_TITLE,  // %s: caption
    TEXT_OPTION_LIST,
    TEXT_POSITION_TITLE,  // %s: caption
    TEXT_POSITION,        // %i: left, right, top, bottom, width, height, row height
    TEXT_NO_WALLPAPER,
    TEXT_TRAY_REFUSED,
    TEXT_NEXT_PICTURE,
    TEXT_OPEN_PICTURE,
    TEXT_COPY_PATH,
    TEXT_RECYCLE_PICTURE,
    TEXT_RECYCLE_QUESTION,  // %s: the file's name
    TEXT_NOT_RECYCLED,      // %s: the file's name
    TEXT_START_AT_SIGN_IN,
    TEXT_COUNT
};

enum Language { LANGUAGE_JAPANESE, LANGUAGE_ENGLISH, LANGUAGE_COUNT };

// Chosen once at start-up, before any title is made; Japanese until then.
void SetLanguage(Language language);

const char16_t* Text(TextId id);
const char16_t* TextIn(Language language, TextId id);
