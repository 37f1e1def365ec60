// The face marks of PukiWiki pages: &smile;, &bigsmile;, &huh;, &oh;, &wink;, &sad;,
// &worried; and &heart;. Each is a character (an emoji, or a symbol that ordinary fonts
// draw) written as a character reference, so the page needs no image and fetches nothing.
// One source builds one library per mark: FACE_NAME names it, FACE_CHARACTER is the
// reference's hexadecimal code.
#include "PluginKit.h"

#ifndef FACE_NAME
#error "FACE_NAME and FACE_CHARACTER must be given, e.g. -DFACE_NAME=smile -DFACE_CHARACTER=1F642"
#endif
#define FACE_TEXT_(x) u## #x
#define FACE_TEXT(x) FACE_TEXT_(x)
#define FACE_CALL_(x) u"&" #x u";"
#define FACE_CALL(x) FACE_CALL_(x)
#define FACE_HTML_(name, code) u"<span class=\"face\" title=\"" #name u"\">&#x" #code u";</span>"
#define FACE_HTML(name, code) FACE_HTML_(name, code)

using namespace tarnel::plugin;

TARNEL_PLUGIN_USAGE(FACE_TEXT(FACE_NAME), FACE_CALL(FACE_NAME),
                    u"顔文字の記号を書きます。&smile; &bigsmile; &huh; &oh; &wink; &sad; "
                    u"&worried; &heart; があり、画像ではなく文字で表示します。",
                    u"今日は晴れ " FACE_CALL(FACE_NAME))

char16_t* PluginInline(const char*, const char*, const char*, const char*, const char*, const char*,
                       const char*) {
    return NewString(FACE_HTML(FACE_NAME, FACE_CHARACTER));
}
