// #freeze, #norelated, #nofollow: settings that mean something only on a PukiWiki web
// server (a page locked against editing, no list of related pages, no search-engine
// indexing). Tarnel shows nothing for them; one source builds the three libraries, each
// named by SILENT_NAME.
#include "PluginKit.h"

#ifndef SILENT_NAME
#error "SILENT_NAME must name the plug-in, e.g. -DSILENT_NAME=freeze"
#endif
#define SILENT_TEXT_(x) u## #x
#define SILENT_TEXT(x) SILENT_TEXT_(x)
#define SILENT_CALL_(x) u"#" #x
#define SILENT_CALL(x) SILENT_CALL_(x)

TARNEL_PLUGIN_USAGE(SILENT_TEXT(SILENT_NAME), SILENT_CALL(SILENT_NAME),
                    u"ウェブサーバー上の PukiWiki でだけ意味を持つ指定です（凍結、関連ページの"
                    u"非表示、検索エンジンへの非公開）。Tarnel では何も表示しません。"
                    u"PukiWiki から持ってきたページの行がそのまま見えないようにします。",
                    SILENT_CALL(SILENT_NAME))

char16_t* PluginInline(const char*, const char*, const char*, const char*, const char*, const char*,
                       const char*) {
    return nullptr; // the empty string
}
