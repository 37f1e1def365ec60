// #comment: on a web server, a form that adds comments to the page. A page shown or
// exported by Tarnel has no server to send them to, so the call leaves a short note.
#include "PluginKit.h"

using namespace tarnel::plugin;

TARNEL_PLUGIN_USAGE(u"comment", u"#comment",
                    u"ウェブサーバー上の PukiWiki ではコメントの入力欄になります。Tarnel の"
                    u"ページには送り先のサーバーがないので、その旨の短い注記を書きます。",
                    u"#comment")

char16_t* PluginInline(const char*, const char*, const char*, const char*, const char*, const char*,
                       const char*) {
    return NewString(u"<p class=\"plugin-note\">（コメント欄はウェブサーバー上の PukiWiki の"
                     u"機能です。このページには書き込めません）</p>");
}
