#include "base/language.h"

namespace {

constexpr char16_t japaneseOptionList[] =
    u"d,D表示行数(1～)  \n"
    u"e (拡張子表示)  \n"
    u"a,A表示位置(0:中央 1:左寄 2:右寄)  \n"
    u"\n"
    u"w,Wウィンドウ幅(0～)  \n"
    u"h,H行高(0～)  \n"
    u"[c,l,r]水平位置 (中央,左,右)  \n"
    u"[C,L,R]水平10分割位置 (中央,左,右)  \n"
    u"y垂直位置  \n"
    u"Y垂直10分割位置  \n"
    u"\n"
    u"s,Sフォントサイズ(0～)  \n"
    u"f,F\"フォント名\"  \n"
    u"[u, g, b]数値(0～255) (文字色)  \n"
    u"[U, G, B]数値(0～255) (背景色)  \n"
    u"p (透明文字)  \n"
    u"P (透明背景)  \n"
    u"\n"
    u"q秒 (自動終了)  \n"
    u"Q秒 (自動最小化)  \n"
    u"\n"
    u"t,T (タイトルバー無し)  \n"
    u"m,M (最前面表示)  \n"
    u"i,I (タスクトレイ表示)  ";

constexpr char16_t englishOptionList[] =
    u"d,D Number of lines (1 or more)  \n"
    u"e (Show the file extension)  \n"
    u"a,A Alignment (0: center 1: left 2: right)  \n"
    u"\n"
    u"w,W Window width (0 or more)  \n"
    u"h,H Row height (0 or more)  \n"
    u"[c,l,r] Horizontal position (center, left, right)  \n"
    u"[C,L,R] Horizontal position in tenths (center, left, right)  \n"
    u"y Vertical position  \n"
    u"Y Vertical position in tenths  \n"
    u"\n"
    u"s,S Font size (0 or more)  \n"
    u"f,F\"Font name\"  \n"
    u"[u, g, b] Red, green, blue (0 to 255) (text color)  \n"
    u"[U, G, B] Red, green, blue (0 to 255) (background color)  \n"
    u"p (Transparent text)  \n"
    u"P (Transparent background)  \n"
    u"\n"
    u"q Seconds (exit automatically)  \n"
    u"Q Seconds (minimize automatically)  \n"
    u"\n"
    u"t,T (No title bar)  \n"
    u"m,M (Always on top)  \n"
    u"i,I (Icon in the notification area)  ";

constexpr size_t LiteralLength(const char16_t* text) {
    size_t n = 0;
    while (text[n] != 0) {
        ++n;
    }
    return n;
}

// Each list is shown straight from its array: a stray terminator inside it would cut
// the box short without any other sign.
static_assert(LiteralLength(japaneseOptionList) + 1 == ArrayCount(japaneseOptionList), "whole list");
static_assert(LiteralLength(englishOptionList) + 1 == ArrayCount(englishOptionList), "whole list");

// Rows in the order of TextId.
const char16_t* const texts[LANGUAGE_COUNT][TEXT_COUNT] = {
    {
        u"%s 現在のデスクトップ背景  ",
        u"%s コマンドラインオプション一覧  ",
        japaneseOptionList,
        u"%s ウィンドウの位置と大きさ  ",
        u"左：%i   右：%i   上：%i   下：%i  \n幅：%i   高さ：%i   (行高：%i)  ",
        u"レジストリに画像ファイル名が見つかりません  ",
        u"通知領域にアイコンを登録できませんでした  ",
        u"次の画像  ",
        u"画像を開く  ",
        u"パスをコピー  ",
        u"ごみ箱に移動  ",
        u"「%s」をごみ箱に移動しますか?  ",
        u"「%s」をごみ箱に移動できませんでした。ファイルは削除されていません  ",
        u"サインイン時に起動  ",
    },
    {
        u"%s Current desktop background  ",
        u"%s Command-line options  ",
        englishOptionList,
        u"%s Window position and size  ",
        u"Left: %i   Right: %i   Top: %i   Bottom: %i  \nWidth: %i   Height: %i   (Row height: %i)  ",
        u"No wallpaper file name was found in the registry  ",
        u"The icon could not be added to the notification area  ",
        u"Next picture  ",
        u"Open picture  ",
        u"Copy path  ",
        u"Move to Recycle Bin  ",
        u"Move \"%s\" to the Recycle Bin?  ",
        u"\"%s\" could not be moved to the Recycle Bin. The file was not deleted  ",
        u"Start at sign-in  ",
    },
};

Language language = LANGUAGE_JAPANESE;

}  // namespace

void SetLanguage(Language chosen) {
    language = chosen;
}

const char16_t* Text(TextId id) {
    return texts[language][id];
}

const char16_t* TextIn(Language chosen, TextId id) {
    return texts[chosen][id];
}
