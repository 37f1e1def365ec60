// &br(): a line break inside a paragraph, a list item or a table cell.
#include "TarnelPlugin.h"

using namespace tarnel::plugin;

int32_t GetPluginType(void) {
    return TARNEL_PLUGIN_TYPE_INLINE;
}
char16_t* GetName(void) {
    return NewString(u"br");
}
char16_t* GetVersion(void) {
    return NewString(u"1.0");
}
char16_t* GetAuthor(void) {
    return NewString(u"Tarnel");
}
char16_t* GetSyntax(void) {
    return NewString(u"&br()");
}
char16_t* GetDescription(void) {
    return NewString(u"その場所で改行します。段落や箇条書き、表のセルの中でも使えます。"
                     u"引数は使いません。");
}
char16_t* GetExample(void) {
    return NewString(u"一行目&br()二行目");
}

char16_t* PluginInline(const char*, const char*, const char*, const char*, const char*, const char*,
                       const char*) {
    return NewString(u"<br>");
}
