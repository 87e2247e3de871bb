#include "wallpaper/spotlight.h"

// jsmn (MIT licence, Serge Zaitsev; Debian's libjsmn-dev, its one header copied into the
// build tree) is compiled here and nowhere else: static, so nothing of it leaves this
// file; strict, so what is not JSON is an error; with parent links, so that closing a
// container does not search back through every token.
#define JSMN_STATIC
#define JSMN_STRICT
#define JSMN_PARENT_LINKS
#include <jsmn.h>

static_assert(sizeof(jsmntok_t) == SPOTLIGHT_TOKEN_BYTES, "the tokens' room in SpotlightWorkBytes");

namespace {

constexpr char16_t REPLACEMENT = 0xFFFD;
constexpr char16_t BLANK = u' ';

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Paths differ in the case of their drive letter or of a folder now and then; the
// folders of a user's profile may have letters beyond ASCII, the Latin-1 ones folded too.
char16_t FoldPathCase(char16_t unit) {
    const bool upper = (unit >= u'A' && unit <= u'Z') || (unit >= 0xC0 && unit <= 0xDE && unit != 0xD7);
    return upper ? static_cast<char16_t>(unit + 0x20) : unit;
}

// The parsed value: jsmn's tokens over a copy of one byte per unit, so that a token's
// start and end are positions in the UTF-16 value as well.
struct Json {
    const char16_t* value;
    const char* bytes;
    const jsmntok_t* tokens;
    int count;
};

// The index after token i and everything inside it (a key's child is its value).
int Skip(const Json& json, int i) {
    for (int pending = 1; pending > 0 && i < json.count; ++i) {
        pending += json.tokens[i].size - 1;
    }
    return i;
}

// The value of object's member name (an ASCII key without escapes), or -1; -1 also when
// object is no object.
int Member(const Json& json, int object, const char* name) {
    if (object < 0 || json.tokens[object].type != JSMN_OBJECT) {
        return -1;
    }
    int key = object + 1;
    for (int k = 0; k < json.tokens[object].size && key + 1 < json.count; ++k) {
        const jsmntok_t& token = json.tokens[key];
        if (token.type == JSMN_STRING && token.size == 1) {
            int p = token.start;
            const char* c = name;
            while (p < token.end && *c != 0 && json.bytes[p] == *c) {
                ++p;
                ++c;
            }
            if (p == token.end && *c == 0) {
                return key + 1;
            }
        }
        key = Skip(json, key);
    }
    return -1;
}

int HexDigit(char16_t unit) {
    if (unit >= u'0' && unit <= u'9') {
        return unit - u'0';
    }
    const char16_t lower = unit | 0x20;
    return lower >= u'a' && lower <= u'f' ? lower - u'a' + 10 : -1;
}

// One code unit of a JSON string from position *at, before end: an escape decoded, any
// other unit as it stands. jsmn let only valid escapes through; this stays in bounds
// whatever it is given.
char16_t NextUnit(const char16_t* value, int* at, int end) {
    char16_t unit = value[(*at)++];
    if (unit != u'\\' || *at == end) {
        return unit;
    }
    const char16_t escape = value[(*at)++];
    switch (escape) {
        case u'b':
            return 0x08;
        case u'f':
            return 0x0C;
        case u'n':
            return 0x0A;
        case u'r':
            return 0x0D;
        case u't':
            return 0x09;
        case u'u':
            break;
        default:
            return escape;  // " \ and /
    }
    int code = 0;
    for (int i = 0; i < 4; ++i) {
        const int digit = *at < end ? HexDigit(value[*at]) : -1;
        if (digit < 0) {
            return REPLACEMENT;
        }
        code = code * 16 + digit;
        ++*at;
    }
    return static_cast<char16_t>(code);
}

// The string token's text, its escapes decoded, a surrogate pair (escaped or not) kept
// whole and a lone surrogate replaced; control characters become blanks. 1 when it fit
// whole; 0 when it was cut, between two characters, to fit text.
int DecodeString(const Json& json, const jsmntok_t& token, char16_t (&text)[TEXT_UNITS]) {
    size_t n = 0;
    int at = token.start;
    while (at < token.end) {
        char16_t unit = NextUnit(json.value, &at, token.end);
        char16_t low = 0;
        if (IsHighSurrogate(unit) && at < token.end) {
            int next = at;
            low = NextUnit(json.value, &next, token.end);
            if (IsLowSurrogate(low)) {
                at = next;
            } else {
                low = 0;
            }
        }
        if (low == 0 && (IsHighSurrogate(unit) || IsLowSurrogate(unit))) {
            unit = REPLACEMENT;
        } else if (unit < 0x20 || (unit >= 0x7F && unit <= 0x9F)) {
            unit = BLANK;
        }
        if (n + (low != 0 ? 2 : 1) > ArrayCount(text) - 1) {
            text[n] = 0;
            return 0;
        }
        text[n++] = unit;
        if (low != 0) {
            text[n++] = low;
        }
    }
    text[n] = 0;
    return 1;
}

// Whether the asset token (may be -1) names path whole, letters compared without regard
// to case.
bool IsAsset(const Json& json, int asset, const char16_t* path) {
    char16_t text[TEXT_UNITS];
    if (asset < 0 || json.tokens[asset].type != JSMN_STRING ||
        !DecodeString(json, json.tokens[asset], text)) {
        return false;
    }
    size_t i = 0;
    while (text[i] != 0 && FoldPathCase(text[i]) == FoldPathCase(path[i])) {
        ++i;
    }
    return text[i] == path[i];
}

}  // namespace

// ImageIndex names the item Windows shows, but it may lag behind the picture on the
// desktop: the item is found by its asset. Items Windows has not yet downloaded name no
// asset of the picture and are passed over.
int FindSpotlightTitle(const char16_t* value,
                       size_t units,
                       const char16_t* path,
                       void* work,
                       char16_t (&title)[TEXT_UNITS]) {
    title[0] = 0;
    if (units > SPOTLIGHT_VALUE_BYTES / sizeof(char16_t)) {
        return 0;
    }
    jsmntok_t* tokens = static_cast<jsmntok_t*>(work);
    char* bytes = reinterpret_cast<char*>(tokens + SPOTLIGHT_TOKENS);
    size_t n = 0;
    for (; n < units && value[n] != 0; ++n) {
        // jsmn looks only at ASCII; any other unit can only stand inside a string.
        bytes[n] = value[n] < 0x80 ? static_cast<char>(value[n]) : static_cast<char>(0x80);
    }
    jsmn_parser parser;
    jsmn_init(&parser);
    const int count = jsmn_parse(&parser, bytes, n, tokens, SPOTLIGHT_TOKENS);
    const Json json = {value, bytes, tokens, count};
    if (count < 1 || tokens[0].type != JSMN_ARRAY || Skip(json, 0) != count) {
        return 0;  // not one array: an error, too many tokens, or something after the array
    }
    int item = 1;
    for (int k = 0; k < tokens[0].size && item < count; ++k, item = Skip(json, item)) {
        const int ad = Member(json, item, "ad");
        if (!IsAsset(json, Member(json, Member(json, ad, "landscapeImage"), "asset"), path) &&
            !IsAsset(json, Member(json, Member(json, ad, "portraitImage"), "asset"), path)) {
            continue;
        }
        const int text = Member(json, ad, "title");
        if (text < 0 || tokens[text].type != JSMN_STRING) {
            continue;
        }
        DecodeString(json, tokens[text], title);  // a title longer than a label is cut
        for (const char16_t* c = title; *c != 0; ++c) {
            if (*c != BLANK) {
                return 1;
            }
        }
    }
    title[0] = 0;
    return 0;
}
