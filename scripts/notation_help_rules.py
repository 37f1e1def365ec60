"""The notation help's texts and examples, read by scripts/make-notation-help.

Each notation lists its rules in the order the converter tries them. A rule has a title
("ja", "en"), an optional note ("note_ja", "note_en", HTML), the markup as typed, and
tarnel-cli convert options when the example needs a setting.
"""

STYLE = """body { font-family: sans-serif; line-height: 1.6; margin: 1em 2em; max-width: 60em; }
h1 { border-bottom: 3px solid #468; }
h2 { border-bottom: 1px solid #468; margin-top: 2em; }
h3 { margin: 1.5em 0 0.3em; font-size: 1.05em; }
nav.toc ul.rules { font-size: 0.9em; }
nav.toc ul.rules li { display: inline; margin-right: 1em; }
.example { border: 1px solid #bbb; border-radius: 4px; padding: 0.3em 0.8em 0.6em; }
.label { font-size: 0.8em; color: #555; margin-top: 0.4em; }
pre { margin: 0.2em 0; padding: 0.4em; overflow-x: auto; white-space: pre-wrap; }
pre.src { background: #f4f4e8; }
pre.html { background: #eef2f6; font-size: 0.85em; }
.view { border: 1px dashed #aaa; padding: 0 0.5em; }
.view h1, .view h2, .view h3, .view h4 { border: none; margin: 0.3em 0; }
.view table, table.list { border-collapse: collapse; }
.view td, .view th, table.list td, table.list th { border: 1px solid #999; padding: 0.1em 0.5em; }
.view .right { text-align: right; } .view .center { text-align: center; }
.view .left { text-align: left; }
.view .newlink { font-size: 0.8em; vertical-align: super; }
code, kbd { background: #f0f0f0; padding: 0 0.2em; }
.foot { margin-top: 3em; font-size: 0.85em; color: #555; }
"""

# Texts of the page around the examples, and the sections shared by all notations.
TEXTS = {
    "ja": {
        "title": "テキスト整形のルール",
        "toc": "目次",
        "typed": "書き方",
        "view": "表示",
        "html": "変換結果 (HTML)",
        "foot": "この説明の例はすべて、このバージョンの Tarnel で実際に変換した結果です。",
        "intro": """<p>Tarnel のページは、8 種類の記法のどれかで書きます。記法は Wiki ごとに一つで、
ツール バーの記法ボックスか、メニューの「設定」→「記法」で選びます。このページでは、記法ごとにすべての
ルールを、書き方の例と、その例が実際にどう表示されるか (と、できあがる HTML) で説明します。</p>
<p>例の中の <code>FrontPage</code> と <code>ページ</code> は既にあるページ、それ以外のページ名はまだないページとして
変換しています。</p>""",
        "common": [
            ("links", "ページへのリンク", """
<p>どの記法でも、ページ名を書くとそのページへのリンクになります。</p>
<ul>
<li><b>既にあるページ</b>へのリンクは、クリックするとそのページを表示します。</li>
<li><b>まだないページ</b>は、名前の後ろに小さな「?」が付きます。「?」をクリックすると、その名前で新しいページを作ります。</li>
<li><b>WikiName</b>: <code>FrontPage</code> や <code>WikiName</code> のように、大文字で始まる英単語を二つ以上つなげた語は、
そのままページ名になります (YukiWiki風・PukiWiki風・MediaWiki風)。設定の「リンク」タブの
「ゆるいWikiNameを使用する」をオンにすると、<code>ABCdef</code> のように大文字を二つ以上含む語も WikiName になります
(YukiWiki風のみ)。「WikiName形式の?リンクを表示しない」をオンにすると、まだないページの WikiName は普通の文字になります
(角かっこで書いたページ名の「?」は残ります)。</li>
<li><b>角かっこ</b>: <code>[[ページ名]]</code> と書くと、日本語や空白を含む名前もページ名になります。
別名 (表示する文字) の書き方は記法ごとに違います。</li>
<li><b>アドレス</b>: <code>http:</code>、<code>https:</code>、<code>ftp:</code>、<code>mailto:</code>、<code>file:</code> で始まるアドレスはリンクになります
(Markdown風と Textile風では決まった書き方をしたときだけ)。アドレスは空白、かっこ、日本語の文字、<code>"</code>、
<code>&lt;</code>、<code>&gt;</code> の手前で終わります。<code>.gif</code>、<code>.jpeg</code>、<code>.jpg</code>、<code>.png</code> で終わるアドレスは、
多くの記法で画像として表示されます。<code>javascript:</code> のようなアドレスはリンクになりません。</li>
<li>ページの外のアドレスは、ふつう表示部分に表示されます。設定の「外部リンクはブラウザで開く」をオンにすると、
いつも使っている Web ブラウザーやメール ソフトで開きます。</li>
</ul>"""),
            ("footnotes", "脚注と目次", """
<p>PukiWiki風・livedoor Wiki風・はてな風では <code>((脚注の文))</code> と書くと、その場所に <code>*1</code> のような
印が付き、ページの最後に脚注の一覧が付きます。印と脚注は互いにリンクしています。</p>
<p>どの記法でも、見出しは左側の「目次」タブに並び、クリックするとその見出しまで移動します。テンプレートに
<code>&lt;#Contents&gt;</code> があれば、ページの中にも目次が表示されます。</p>"""),
            ("plugins", "プラグイン", """
<p>プラグインは、ページの中から呼び出して使う追加の機能です。読み込まれているプラグインとその使い方は、
メニューの「ヘルプ」→「プラグイン」で見られます。呼び出し方は記法ごとに違います。</p>
<table class="list">
<tr><th>記法</th><th>呼び出し方</th></tr>
<tr><td>YukiWiki風</td><td><code>&amp;color(red,文字)</code></td></tr>
<tr><td>PukiWiki風</td><td><code>&amp;color(red,文字);</code>、<code>&amp;color(red){文字};</code>、ブロック型 <code>#名前(){{</code> … <code>}}</code></td></tr>
<tr><td>はてな風</td><td><code>[color:red,文字]</code></td></tr>
<tr><td>MediaWiki風</td><td><code>{{color|red|文字}}</code></td></tr>
<tr><td>livedoor Wiki風</td><td><code>&amp;color(red){文字}</code></td></tr>
<tr><td>FreeStyle Wiki風</td><td><code>{{color red,文字}}</code></td></tr>
<tr><td>Textile風</td><td><code>{{color(red,文字)}}</code></td></tr>
<tr><td>Markdown風</td><td>プラグインは使えません</td></tr>
</table>
<p>Tarnel に付いているプラグイン: <code>color</code> (文字の色)、<code>size</code> (文字の大きさ)、<code>br</code> (改行)、
<code>date</code>・<code>time</code>・<code>now</code> (今日の日付・今の時刻・日時)、<code>source</code> (別のページの本文をそのまま表示)。
読み込まれていない名前で呼び出すと、書いた文字がそのまま表示されます。</p>"""),
        ],
    },
    "en": {
        "title": "Notation Rules",
        "toc": "Contents",
        "typed": "Typed",
        "view": "Shown",
        "html": "Result (HTML)",
        "foot": "Every example on this page was converted by this version of Tarnel.",
        "intro": """<p>Tarnel pages are written in one of eight notations. A wiki uses one notation;
choose it in the notation box of the tool bar or with Settings &rarr; Notation. This page
describes every rule of every notation with an example as typed, how the example is shown,
and the HTML it becomes.</p>
<p>In the examples, <code>FrontPage</code> and <code>Notes</code> are pages that exist; any other page
name is a page that has not been written yet.</p>""",
        "common": [
            ("links", "Links to pages", """
<p>In every notation a page name written in the text becomes a link to that page.</p>
<ul>
<li>A link to a <b>page that exists</b> shows that page when you click it.</li>
<li>A <b>page that does not exist yet</b> gets a small "?" after its name. Click the "?" to
create a new page of that name.</li>
<li><b>WikiNames</b>: two or more capitalised English words run together, such as
<code>FrontPage</code> or <code>WikiName</code>, are page names as they stand (YukiWiki, PukiWiki and
MediaWiki style). With "Use loose WikiNames" on the Links tab of the settings, a word with
two capitals anywhere, such as <code>ABCdef</code>, is a WikiName too (YukiWiki style only).
With "Do not show the ? link after WikiNames", a WikiName of a missing page is plain
text (a bracketed name keeps its "?").</li>
<li><b>Brackets</b>: <code>[[page name]]</code> makes any name a page name, Japanese text and
blanks included. How to show another text (an alias) differs between notations.</li>
<li><b>Addresses</b> starting with <code>http:</code>, <code>https:</code>, <code>ftp:</code>, <code>mailto:</code> or
<code>file:</code> become links (in Markdown and Textile style only when written in their link
forms). An address ends before a blank, a parenthesis, a Japanese character, <code>"</code>,
<code>&lt;</code> or <code>&gt;</code>. In most notations an address ending in <code>.gif</code>,
<code>.jpeg</code>, <code>.jpg</code> or <code>.png</code> shows the picture. Addresses such as
<code>javascript:</code> never become links.</li>
<li>Outside addresses are normally shown in the page view. With "Open outside links in the
web browser" in the settings they open in your web browser or mail program instead.</li>
</ul>"""),
            ("footnotes", "Footnotes and contents", """
<p>In PukiWiki, livedoor Wiki and Hatena style, <code>((footnote text))</code> puts a mark such as
<code>*1</code> in the text and the footnote in a list at the end of the page; mark and
footnote link to each other.</p>
<p>In every notation the headings are listed on the Contents tab at the left; a click
scrolls to the heading. When the template holds <code>&lt;#Contents&gt;</code>, the page shows the
contents too.</p>"""),
            ("plugins", "Plug-ins", """
<p>Plug-ins are extra functions that a page calls. Help &rarr; Plug-ins lists the loaded
plug-ins and how to use each. How a page calls one depends on the notation:</p>
<table class="list">
<tr><th>Notation</th><th>Call</th></tr>
<tr><td>YukiWiki style</td><td><code>&amp;color(red,text)</code></td></tr>
<tr><td>PukiWiki style</td><td><code>&amp;color(red,text);</code>, <code>&amp;color(red){text};</code>, block form <code>#name(){{</code> &hellip; <code>}}</code></td></tr>
<tr><td>Hatena style</td><td><code>[color:red,text]</code></td></tr>
<tr><td>MediaWiki style</td><td><code>{{color|red|text}}</code></td></tr>
<tr><td>livedoor Wiki style</td><td><code>&amp;color(red){text}</code></td></tr>
<tr><td>FreeStyleWiki style</td><td><code>{{color red,text}}</code></td></tr>
<tr><td>Textile style</td><td><code>{{color(red,text)}}</code></td></tr>
<tr><td>Markdown style</td><td>no plug-ins</td></tr>
</table>
<p>Plug-ins that come with Tarnel: <code>color</code> (text colour), <code>size</code> (text size),
<code>br</code> (line break), <code>date</code>, <code>time</code> and <code>now</code> (today's date, the time,
both), <code>source</code> (another page's text as written). A call of a name that no plug-in
answers is shown as typed.</p>"""),
        ],
    },
}


def R(ja, en, markup, note_ja="", note_en="", options=None):
    return {"ja": ja, "en": en, "markup": markup, "note_ja": note_ja, "note_en": note_en,
            "options": options or []}


NOTATIONS = []

NOTATIONS.append({
    "id": "yukiwiki", "name": "YukiWiki", "cli": "yukiwiki",
    "intro_ja": "<p>YukiWiki風は Tarnel の標準の記法です。行の先頭の記号でブロックの種類が決まります。</p>",
    "intro_en": "<p>YukiWiki style is Tarnel's default notation. The mark at the start of a line"
                " decides what kind of block the line is.</p>",
    "rules": [
        R("見出し", "Headings", "*大見出し\n**中見出し\n***小見出し",
          "行の先頭に <code>*</code> を 1～3 個書きます。見出しは目次に入ります。",
          "One to three <code>*</code> at the start of the line. Headings go into the contents."),
        R("段落", "Paragraphs", "一行目の文です。\n二行目も同じ段落です。\n\n空行の後は新しい段落です。",
          "続けて書いた行は一つの段落になり、行と行の間には何も入りません (英文では行末に空白を入れてください)。空行で段落が終わります。",
          "Lines written one after another make one paragraph, joined with nothing between"
          " them (end an English line with a blank). An empty line ends the paragraph."),
        R("整形済みテキスト", "Preformatted text", " 行頭に空白を一つ\n   書いたとおりに表示します",
          "行の先頭に空白を一つ書くと、その行は書いたとおりに等幅で表示されます。記号は変換されません。",
          "A line starting with a blank is shown as typed, in a fixed-width font; no marks are converted."),
        R("引用", "Quotations", ">引用です。\n>>二段目の引用\n>>>三段目の引用\n>一段目に戻ります",
          "<code>&gt;</code> を 1～3 個書くと、その深さの引用になります。引用の後に続けて書いた普通の行は、引用の中に入ります。",
          "One to three <code>&gt;</code> give a quotation of that depth. A plain line right after"
          " a quotation line belongs to the quotation."),
        R("箇条書き", "Lists", "-項目一\n--入れ子の項目\n---三段目\n-項目二\n項目二の続き",
          "<code>-</code> を 1～3 個書くと、その深さの箇条書きになります。すぐ後に続けた普通の行は、最後の項目に続きます。",
          "One to three <code>-</code> give a list item of that depth. A plain line right after an"
          " item continues the last item."),
        R("定義リスト", "Definition lists", ":用語:用語の説明\n:Tarnel:デスクトップの Wiki",
          "<code>:用語:説明</code> の形で書きます。", "Write <code>:term:description</code>."),
        R("表", "Tables", ",品名,数, 備考 \n,りんご, 3,\"赤い, 甘い\"\n,みかん,==,==",
          "行の先頭をカンマにして、セルをカンマで区切ります。セルの文字の前に空白を入れると右寄せ、"
          "前後に入れると中央寄せです。<code>\"</code> で囲んだセルにはカンマも書けます (<code>\"\"</code> で <code>\"</code> 一つ)。"
          "<code>==</code> だけのセルは左のセルとつながります。",
          "Start the line with a comma and separate the cells with commas. A blank before the"
          " text aligns the cell right, blanks before and after centre it. A cell between"
          " <code>\"</code> may hold commas (<code>\"\"</code> stands for one <code>\"</code>). A cell"
          " of only <code>==</code> joins the cell to its left."),
        R("水平線", "Horizontal rules", "上の文\n----\n下の文", "<code>----</code> で線を引きます。",
          "<code>----</code> draws a line."),
        R("整形済みブロック (記法が使えるもの)", "Preformatted block with inline rules",
          "--(\n書いたとおりの改行で\n''強調''やリンク FrontPage が使えます\n--)",
          "<code>--(</code> の行から <code>--)</code> の行までを、改行をそのままにして表示します。強調やリンクは変換されます。",
          "From a line <code>--(</code> to a line <code>--)</code> the lines are shown as typed, but"
          " emphasis and links are converted."),
        R("整形済みブロック (書いたとおり)", "Preformatted block, text only",
          "---(\n''ここは'' FrontPage\n変換されません\n---)",
          "<code>---(</code> の行から <code>---)</code> の行までは、何も変換せずに表示します。",
          "From a line <code>---(</code> to a line <code>---)</code> nothing is converted."),
        R("強調", "Bold and italic", "''太字'' と '''斜体'''",
          "<code>''</code> で囲むと太字、<code>'''</code> で囲むと斜体です。",
          "Two apostrophes around text make it bold, three make it italic."),
        R("リンク", "Links",
          "FrontPage と NewPage\n\n[[ページ]] と [[新しいページ]]\n\nhttp://example.com/ と http://example.com/logo.png",
          "WikiName、<code>[[ページ名]]</code>、アドレスがリンクになります。画像のアドレスは画像として表示されます。",
          "WikiNames, <code>[[page name]]</code> and addresses become links; a picture's address"
          " shows the picture."),
        R("ゆるい WikiName", "Loose WikiNames", "ABCdef と TarnelWiki",
          "設定の「ゆるいWikiNameを使用する」がオンのときの例です。",
          "An example with \"Use loose WikiNames\" on.", ["--loose-wikiname"]),
        R("プラグイン", "Plug-ins", "&color(red,赤い文字) と &size(20,大きな文字)",
          "<code>&amp;名前(引数)</code> の形で呼び出します。", "Call one as <code>&amp;name(arguments)</code>."),
    ],
})

NOTATIONS.append({
    "id": "pukiwiki", "name": "PukiWiki", "cli": "pukiwiki",
    "intro_ja": "<p>PukiWiki風は、脚注、セルの書式を指定できる表、ブロック型のプラグインなどが使える記法です。</p>",
    "intro_en": "<p>PukiWiki style adds footnotes, tables with cell formats, block plug-ins and more.</p>",
    "rules": [
        R("見出し", "Headings", "*大見出し [#top]\n**中見出し\n***小見出し",
          "行の先頭に <code>*</code> を 1～3 個書きます。最後に <code>[#名前]</code> を書くと、その名前がアンカー (ページ内リンクの目印) になります。",
          "One to three <code>*</code>. A closing <code>[#name]</code> gives the heading that anchor name."),
        R("段落", "Paragraphs", "一行目の文です。\n二行目も同じ段落です。\n\n~*で始まる行も普通の文にできます",
          "続けて書いた行は一つの段落になります。<code>~</code> で始まる行は、記号で始まっていても普通の段落になります。",
          "Lines written one after another make one paragraph. A line starting with <code>~</code>"
          " is a paragraph even when a mark follows."),
        R("段落 (改行を無視しない)", "Paragraphs, keeping line breaks", "一行目\n二行目",
          "設定の「書式」タブの「改行を無視しない」がオンのときは、段落の各行の後で改行します。",
          "With \"Keep line breaks\" on the Notation tab of the settings, each paragraph line"
          " ends with a line break.", ["--keep-line-breaks"]),
        R("行末の改行", "Line breaks", "一行目~\n二行目",
          "行の最後の <code>~</code> はそこで改行します。ただし定義リストの用語と表のセルの中では改行になりません。",
          "A <code>~</code> at the end of a line is a line break, except in a definition term"
          " and in table cells."),
        R("整形済みテキスト", "Preformatted text", " 行頭に空白\n 書いたとおりに表示",
          "行の先頭に空白を一つ書きます。", "Start the line with a blank."),
        R("引用", "Quotations", ">引用\n>>二段目\n>>>三段目",
          "<code>&gt;</code> を 1～3 個書きます。", "One to three <code>&gt;</code>."),
        R("箇条書き", "Bulleted lists", "-項目一\n--入れ子\n---三段目\n-項目二\n項目二の続き",
          "<code>-</code> を 1～3 個書きます。続けた普通の行は最後の項目に入ります。",
          "One to three <code>-</code>. A plain line right after an item joins that item."),
        R("番号付きの箇条書き", "Numbered lists", "+手順一\n++細かい手順\n+手順二",
          "<code>+</code> を 1～3 個書きます。", "One to three <code>+</code>."),
        R("箇条書きの中の整形済みテキスト", "Preformatted text in a list", "-設定ファイルの例:\n [File]\n Extension=.txt\n-次の項目",
          "項目のすぐ後に空白で始まる行を書くと、その項目の中に整形済みテキストが入ります。",
          "Lines starting with a blank right after an item are preformatted text inside it."),
        R("定義リスト", "Definition lists", ":用語|用語の説明",
          "<code>:用語|説明</code> の形で書きます。", "Write <code>:term|description</code>."),
        R("CSV 形式の表", "Comma tables", ",品名,数\n,りんご, 3", "YukiWiki風と同じ、カンマで区切る表です。",
          "The comma table of YukiWiki style."),
        R("表", "Pipe tables",
          "|~品名|~数|~備考|h\n|りんご|3|赤い|\n|~|5|青い|\n|>|合計|8|\n|CENTER:BGCOLOR(yellow):中央|RIGHT:右|SIZE(9):小さく|",
          "<code>|</code> でセルを区切ります。行の最後に <code>h</code> (ヘッダー) や <code>f</code> (フッター) を付けても普通の行として表示し、"
          "<code>c</code> を付けた行は表示しません。<code>~</code> で始まるセルは見出しのセル、<code>~</code> だけのセルは上のセルと、"
          "<code>&gt;</code> だけのセルは右のセルとつながります。セルの先頭に <code>LEFT:</code>、<code>CENTER:</code>、<code>RIGHT:</code>、"
          "<code>COLOR(色):</code>、<code>BGCOLOR(色):</code>、<code>SIZE(ポイント):</code> を書くと書式が付きます。"
          "コメント行をはさんでも表は続きます。",
          "Cells are separated by <code>|</code>. A row may end in <code>h</code> (header) or"
          " <code>f</code> (footer), shown as ordinary rows; a row ending in <code>c</code> is not"
          " shown. A cell starting with <code>~</code> is a header cell; a cell of only"
          " <code>~</code> joins the cell above, one of only <code>&gt;</code> the cell to its right."
          " <code>LEFT:</code>, <code>CENTER:</code>, <code>RIGHT:</code>, <code>COLOR(colour):</code>,"
          " <code>BGCOLOR(colour):</code> and <code>SIZE(points):</code> at the start of a cell format"
          " it. A comment line between rows does not end the table."),
        R("水平線", "Horizontal rules", "----", "<code>----</code> で線を引きます。", "<code>----</code> draws a line."),
        R("寄せ", "Alignment", "RIGHT:右寄せ\nCENTER:中央寄せ\n続けた行も中央\nLEFT:左寄せ",
          "<code>RIGHT:</code>、<code>CENTER:</code>、<code>LEFT:</code> で始まる行は、その向きに寄せます。",
          "Lines starting with <code>RIGHT:</code>, <code>CENTER:</code> or <code>LEFT:</code> are aligned so."),
        R("文字の装飾", "Text decoration", "''強調'' '''斜体''' %%取り消し線%%",
          "<code>''</code> で強調、<code>'''</code> で斜体、<code>%%</code> で取り消し線です。",
          "<code>''</code> strong, <code>'''</code> italic, <code>%%</code> struck out."),
        R("脚注", "Footnotes", "本文です((これは脚注です))。\n二つ目((もう一つ))。",
          "<code>((</code> と <code>))</code> で囲んだ文は脚注になります。",
          "Text between <code>((</code> and <code>))</code> becomes a footnote."),
        R("コメント", "Comments", "前の行。\n// この行は表示されません\n後の行。",
          "<code>//</code> で始まる行は表示されません。", "A line starting with <code>//</code> is not shown."),
        R("リンク", "Links",
          "WikiName と [[ページ]] と [[新しいページ]]\n\n[[別名>FrontPage]] と [[サイト>http://example.com/]]\n\n[[http://example.com/logo.png>http://example.com/]]",
          "<code>[[表示する文字&gt;ページ名]]</code> で、別の文字を表示するリンクになります。ページ名の代わりにアドレスも書けます。"
          "表示する文字に画像のアドレスを書くと画像になります。",
          "<code>[[shown text&gt;page name]]</code> shows another text; an address may stand for"
          " the page name, and a picture's address as the shown text shows the picture."),
        R("プラグイン", "Plug-ins", "&color(red,赤い文字); &color(blue){青い文字}; &br;",
          "<code>&amp;名前(引数);</code> や <code>&amp;名前(引数){文字};</code> の形で呼び出します。{ } の中は引数の後に続けて渡されます。",
          "Call one as <code>&amp;name(arguments);</code> or <code>&amp;name(arguments){text};</code>;"
          " the text in braces is passed after the arguments."),
        R("ブロック型のプラグイン", "Block plug-ins", "#source(){{\nFrontPage\n}}",
          "<code>#名前(){{</code> の行から <code>}}</code> の行までの行を、まとめてプラグインに渡します。読み込まれていないプラグインの名前なら、普通の行として表示します。",
          "The lines from <code>#name(){{</code> to <code>}}</code> are passed to the plug-in. A name"
          " that no plug-in answers makes the line an ordinary line."),
    ],
})

NOTATIONS.append({
    "id": "hatena", "name": "Hatena", "cli": "hatena",
    "intro_ja": "<p>はてな風では、ページに書いた HTML のタグがそのまま使えます (整形済みブロックの中を除いて、<code>&lt;</code> などは変換されません)。"
                "普通の行は一行ずつ別の段落になります。</p>",
    "intro_en": "<p>In Hatena style HTML tags written in the page work as they are (nothing is"
                " escaped outside the preformatted blocks). Every plain line is a paragraph of its own.</p>",
    "rules": [
        R("見出し", "Headings", "*大見出し\n**中見出し\n***小見出し", "行の先頭に <code>*</code> を 1～3 個書きます。",
          "One to three <code>*</code>."),
        R("段落と空行", "Paragraphs and empty lines", "一行目\n二行目\n\n\n空行を二つ続けると、その分だけ間が空きます",
          "普通の行は、一行ずつ段落になります。空行が二つ以上続くと、二つ目から一つごとに改行が入ります。",
          "Each plain line is a paragraph. From the second empty line in a row on, each empty line adds a line break."),
        R("HTML", "HTML", "<b>太字</b> と <span style=\"color:red\">赤</span>",
          "HTML のタグはそのまま出力されます。タグの中のアドレスはリンクになりません。",
          "HTML tags go out as written; an address inside a tag is not made a link."),
        R("引用", "Quotations", ">>\n引用する文\n-引用の中の箇条書き\n<<",
          "<code>&gt;&gt;</code> の行から <code>&lt;&lt;</code> の行までが引用です。中に段落や箇条書きも書けます。",
          "From a line <code>&gt;&gt;</code> to a line <code>&lt;&lt;</code> is a quotation; it may hold paragraphs and lists."),
        R("アスキーアート", "Ascii art", ">|aa|\n (´・ω・`)\n  <  >\n||<",
          "<code>&gt;|aa|</code> から <code>||&lt;</code> までを、書いたとおりの文字と改行で表示します。"
          "最後の行の終わりに続けて <code>||&lt;</code> を書いても閉じます (その行の文字は変換されずに出力されます)。",
          "From <code>&gt;|aa|</code> to <code>||&lt;</code> the lines are shown as typed. The"
          " <code>||&lt;</code> may also end the last line (that line's text goes out unconverted)."),
        R("整形済みブロック (書いたとおり)", "Preformatted block, text only", ">||\n<b>タグも</b> [[ページ]] も\nそのまま表示\n||<",
          "<code>&gt;||</code> から <code>||&lt;</code> までは、何も変換せずに等幅で表示します。",
          "From <code>&gt;||</code> to <code>||&lt;</code> nothing is converted."),
        R("整形済みブロック (記法が使えるもの)", "Preformatted block with rules", ">|\n改行をそのままに\n[[ページ]] へのリンクも使えます\n|<",
          "<code>&gt;|</code> から <code>|&lt;</code> までは改行をそのままにし、リンクや箇条書きなどは変換します。"
          "このブロックは入れ子にでき、<code>|&lt;</code> 一つで内側のブロックが一つ閉じます。",
          "From <code>&gt;|</code> to <code>|&lt;</code> the line breaks stay, links and other rules"
          " still work. These blocks may nest; each <code>|&lt;</code> closes the innermost one."),
        R("表", "Tables", "|*品名|*数|\n|りんご|3|\n|みかん|5|",
          "<code>|</code> で始まって <code>|</code> で終わる行が表の行です。<code>*</code> で始まるセルは見出しのセルです。",
          "A line starting and ending with <code>|</code> is a table row; a cell starting with <code>*</code> is a header cell."),
        R("定義リスト", "Definition lists", ":用語:説明", "<code>:用語:説明</code> の形で書きます。",
          "Write <code>:term:description</code>."),
        R("水平線", "Horizontal rules", "====", "<code>====</code> で線を引きます。", "<code>====</code> draws a line."),
        R("箇条書き", "Lists", "-項目\n--入れ子\n+番号付き\n++入れ子の番号付き",
          "<code>-</code> で箇条書き、<code>+</code> で番号付きの箇条書きです。1～3 個で深さを表します。",
          "<code>-</code> for a list, <code>+</code> for a numbered list; one to three give the depth."),
        R("脚注", "Footnotes", "本文((脚注の文))", "<code>((</code> と <code>))</code> で囲みます。",
          "Text between <code>((</code> and <code>))</code>."),
        R("リンク", "Links", "[[ページ]] と [[新しいページ]]\nhttp://example.com/",
          "<code>[[ページ名]]</code> とアドレスがリンクになります。WikiName はありません。",
          "<code>[[page name]]</code> and addresses are links; there are no WikiNames."),
        R("プラグイン", "Plug-ins", "[color:red,赤い文字] と [size:20,大きな文字]",
          "<code>[名前:引数]</code> の形で呼び出します。", "Call one as <code>[name:arguments]</code>."),
    ],
})

NOTATIONS.append({
    "id": "mediawiki", "name": "MediaWiki", "cli": "mediawiki",
    "intro_ja": "<p>MediaWiki風では、ページに書いた HTML のタグがそのまま使えます (整形済みの行を除きます)。脚注はありません。</p>",
    "intro_en": "<p>In MediaWiki style HTML tags in the page work as they are (except in"
                " preformatted lines). There are no footnotes.</p>",
    "rules": [
        R("見出し", "Headings", "== 大見出し ==\n=== 中見出し ===\n==== 小見出し ====",
          "見出しの文字を <code>=</code> 2～4 個で前後からはさみます。",
          "Put two to four <code>=</code> on both sides of the heading text."),
        R("段落", "Paragraphs", "一行目\n二行目\n\n新しい段落",
          "続けて書いた行は一つの段落になり、行の区切りは空白として表示されます。空行で段落が終わります。",
          "Lines written one after another make one paragraph (the line ends show as blanks);"
          " an empty line ends it."),
        R("整形済みテキスト", "Preformatted text", " 行頭に空白\n 書いたとおりに表示",
          "行の先頭に空白を一つ書きます。", "Start the line with a blank."),
        R("定義リスト", "Definition lists", "; 用語 : 説明",
          "<code>; 用語 : 説明</code> の形で書きます。コロンの前の空白が必要です。",
          "Write <code>; term : description</code>; the blank before the colon is needed."),
        R("水平線", "Horizontal rules", "----", "<code>----</code> で線を引きます。", "<code>----</code> draws a line."),
        R("箇条書き", "Lists", "* 項目\n** 入れ子\n# 番号付き\n## 入れ子の番号付き\n続きの行",
          "<code>*</code> で箇条書き、<code>#</code> で番号付きの箇条書きです。1～3 個で深さを表します。続けた普通の行は箇条書きの中に入ります。",
          "<code>*</code> for a list, <code>#</code> for a numbered list; one to three give the depth."
          " A plain line right after stays inside the list."),
        R("太字と斜体", "Bold and italic", "'''太字''' と ''斜体'' と '''''両方'''''",
          "<code>'''</code> で太字、<code>''</code> で斜体です。", "<code>'''</code> bold, <code>''</code> italic."),
        R("HTML", "HTML", "<u>下線</u> <small>小さく</small>", "HTML のタグはそのまま出力されます。",
          "HTML tags go out as written."),
        R("リンク", "Links",
          "WikiName と [[ページ]] と [[FrontPage|表紙]]\n[[http://example.com/|サイト]] http://example.com/logo.png",
          "<code>[[ページ名|表示する文字]]</code> で別の文字を表示します。ページ名の代わりにアドレスも書けます。",
          "<code>[[page name|shown text]]</code> shows another text; an address may stand for the page name."),
        R("プラグイン", "Plug-ins", "{{color|red|赤い文字}} と {{size|20|大きく}}",
          "<code>{{名前|引数|引数}}</code> の形で呼び出します。引数はカンマでつないでプラグインに渡されます。",
          "Call one as <code>{{name|argument|argument}}</code>; the arguments reach the plug-in"
          " joined by commas."),
    ],
})

NOTATIONS.append({
    "id": "livedoor", "name": "livedoor Wiki", "cli": "livedoor",
    "intro_ja": "<p>livedoor Wiki風は PukiWiki風に似た記法で、アスキーアート、下線 (挿入)、下付き文字などが使えます。WikiName はありません。</p>",
    "intro_en": "<p>livedoor Wiki style is close to PukiWiki style, with ascii art,"
                " subscripts and inserted text. There are no WikiNames.</p>",
    "rules": [
        R("コメント", "Comments", "表示される行\n// 表示されない行", "<code>//</code> で始まる行は表示されません。",
          "A line starting with <code>//</code> is not shown."),
        R("見出し", "Headings", "*大見出し\n**中見出し\n***小見出し", "行の先頭に <code>*</code> を 1～3 個書きます。",
          "One to three <code>*</code>."),
        R("段落", "Paragraphs", "一行目\n二行目", "普通の行は一行ずつ段落になります。",
          "Each plain line is a paragraph of its own."),
        R("引用", "Quotations", ">引用する文\n 空白で始めても引用\n続けた行も引用の中",
          "<code>&gt;</code> か空白で始まる行は引用です。一行ごとに改行します。",
          "A line starting with <code>&gt;</code> or a blank is a quotation line; each ends with a line break."),
        R("アスキーアート", "Ascii art", "=|AA|\n (´・ω・`)\n||=",
          "<code>=|AA|</code> (または <code>=|AAS|</code>) から <code>||=</code> で終わる行までを、書いたとおりに表示します。",
          "From <code>=|AA|</code> (or <code>=|AAS|</code>) to a line ending in <code>||=</code>, shown as typed."),
        R("整形済みブロック", "Preformatted block", "=||\n<b>そのまま</b>\n||=",
          "<code>=||</code> (または <code>=|BOX|</code>) から <code>||=</code> で終わる行までを、何も変換せずに表示します。",
          "From <code>=||</code> (or <code>=|BOX|</code>) to a line ending in <code>||=</code>, nothing converted."),
        R("表", "Tables", "|~品名|数|\n|りんご|3|\n|^|5|\n|>|合計|\n|center:bgcolor(yellow):中央|right:右|",
          "<code>|</code> で区切ります (カンマで区切る <code>,a,b,</code> の形も使えます)。最初のセルが <code>~</code> で始まる行は見出しの行です。"
          "<code>^</code> だけのセルは上のセルと、<code>&gt;</code> だけのセルは右のセルとつながります。"
          "<code>left:</code>、<code>center:</code>、<code>right:</code>、<code>color(色):</code>、<code>bgcolor(色):</code>、<code>size(ポイント):</code> で書式が付きます。",
          "Cells are separated by <code>|</code> (or by commas, <code>,a,b,</code>). A row whose first"
          " cell starts with <code>~</code> is a header row. A cell of only <code>^</code> joins the"
          " cell above, one of only <code>&gt;</code> the cell to its right. <code>left:</code>,"
          " <code>center:</code>, <code>right:</code>, <code>color(colour):</code>,"
          " <code>bgcolor(colour):</code> and <code>size(points):</code> format a cell."),
        R("定義リスト", "Definition lists", ":用語|説明", "<code>:用語|説明</code> の形で書きます。",
          "Write <code>:term|description</code>."),
        R("水平線", "Horizontal rules", "----", "<code>----</code> で線を引きます。", "<code>----</code> draws a line."),
        R("箇条書き", "Lists", "-項目\n--入れ子\n+番号付き\n++入れ子の番号付き",
          "<code>-</code> で箇条書き、<code>+</code> で番号付きの箇条書きです。", "<code>-</code> for a list, <code>+</code> for a numbered list."),
        R("文字の装飾", "Text decoration", "''強調'' '''斜体''' %%%下線%%% %%取り消し%% H__2__O 改行~~ここから",
          "<code>''</code> 強調、<code>'''</code> 斜体、<code>%%%</code> 下線 (挿入)、<code>%%</code> 取り消し線、<code>__</code> 下付き、<code>~~</code> 改行です。",
          "<code>''</code> strong, <code>'''</code> italic, <code>%%%</code> inserted (underlined),"
          " <code>%%</code> struck out, <code>__</code> subscript, <code>~~</code> line break."),
        R("脚注", "Footnotes", "本文((脚注の文))", "<code>((</code> と <code>))</code> で囲みます。",
          "Text between <code>((</code> and <code>))</code>."),
        R("リンク", "Links", "[[ページ]] [[新しいページ]] [[表紙>FrontPage]] [[サイト>>http://example.com/]]",
          "<code>[[表示する文字&gt;ページ名]]</code> または <code>[[表示する文字&gt;&gt;アドレス]]</code> で別の文字を表示します。",
          "<code>[[shown text&gt;page name]]</code> or <code>[[shown text&gt;&gt;address]]</code> shows another text."),
        R("プラグイン", "Plug-ins", "&color(red){赤い文字}", "<code>&amp;名前(引数){文字}</code> の形で呼び出します。",
          "Call one as <code>&amp;name(arguments){text}</code>."),
    ],
})

NOTATIONS.append({
    "id": "freestyle", "name": "FreeStyleWiki", "cli": "freestyle",
    "intro_ja": "<p>FreeStyle Wiki風では、見出しを <code>!</code> で書き、<code>!</code> が多いほど大きな見出しになります。WikiName はありません。</p>",
    "intro_en": "<p>In FreeStyleWiki style headings are written with <code>!</code>: the more marks,"
                " the bigger the heading. There are no WikiNames.</p>",
    "rules": [
        R("コメント", "Comments", "表示される行\n// 表示されない行", "<code>//</code> で始まる行は表示されません。",
          "A line starting with <code>//</code> is not shown."),
        R("見出し", "Headings", "!!!大見出し\n!!中見出し\n!小見出し [#small]",
          "<code>!!!</code> が一番大きな見出しです。最後に <code>[#名前]</code> を書くと、その名前がアンカーになります。",
          "<code>!!!</code> is the biggest heading. A closing <code>[#name]</code> names the anchor."),
        R("段落", "Paragraphs", "一行目\n二行目\n\n新しい段落", "続けて書いた行は一つの段落になります。空行で段落が終わります。",
          "Lines written one after another make one paragraph; an empty line ends it."),
        R("整形済みテキスト", "Preformatted text", " 行頭に空白\n 書いたとおりに表示", "行の先頭に空白を一つ書きます。",
          "Start the line with a blank."),
        R("引用", "Quotations", "\"\"引用する文\n\"\"続きの引用", "行の先頭に <code>\"\"</code> を書きます。続けた行は一つの引用になります。",
          "Start the line with two double quotes; lines in a row make one quotation."),
        R("表", "Tables", ",品名,数\n,りんご,3\n,\"カンマ, 入り\",5",
          "カンマで区切ります。表の最初の行は見出しの行になります。<code>\"</code> で囲んだセルにはカンマも書けます。",
          "Cells are separated by commas; the first row of a table is its header row. A cell"
          " between <code>\"</code> may hold commas."),
        R("定義リスト", "Definition lists", ":用語:説明", "<code>:用語:説明</code> の形で書きます。",
          "Write <code>:term:description</code>."),
        R("水平線", "Horizontal rules", "----", "<code>----</code> で線を引きます。", "<code>----</code> draws a line."),
        R("箇条書き", "Lists", "*項目\n**入れ子\n+番号付き\n++入れ子の番号付き",
          "<code>*</code> で箇条書き、<code>+</code> で番号付きの箇条書きです。", "<code>*</code> for a list, <code>+</code> for a numbered list."),
        R("文字の装飾", "Text decoration", "'''強調''' ''斜体'' ==取り消し== __下線__",
          "<code>'''</code> 強調、<code>''</code> 斜体、<code>==</code> 取り消し線、<code>__</code> 下線 (挿入) です。",
          "<code>'''</code> strong, <code>''</code> emphasis, <code>==</code> struck out, <code>__</code> inserted (underlined)."),
        R("リンク", "Links",
          "[[ページ]] と [新しいページ] と [表紙|FrontPage]\n\n[サイト|http://example.com/] と http://example.com/logo.png",
          "<code>[[ページ名]]</code> と <code>[ページ名]</code> は同じです。<code>[表示する文字|ページ名]</code> で別の文字を表示します。ページ名の代わりにアドレスも書けます。",
          "<code>[[page name]]</code> and <code>[page name]</code> are the same. <code>[shown text|page"
          " name]</code> shows another text; an address may stand for the page name."),
        R("プラグイン", "Plug-ins", "{{color red,赤い文字}} と {{br}}",
          "<code>{{名前 引数}}</code> の形で呼び出します。", "Call one as <code>{{name arguments}}</code>."),
    ],
})

NOTATIONS.append({
    "id": "textile", "name": "Textile", "cli": "textile",
    "intro_ja": "<p>Textile風では、文字の装飾の記号を、前後に空白をはさんで (または行の端に) 書きます。"
                "アドレスや WikiName は、決まった書き方をしたときだけリンクになります。</p>",
    "intro_en": "<p>In Textile style the decoration marks stand between blanks (or at the line's"
                " edges). Addresses and page names are links only in the link forms.</p>",
    "rules": [
        R("見出し", "Headings", "h1. 大見出し\nh2. 中見出し\nh6. 一番小さい見出し",
          "<code>h1.</code> から <code>h6.</code> の後に空白と見出しを書きます。見出しの文字は変換されません。",
          "<code>h1.</code> to <code>h6.</code>, a blank and the heading. The heading text is written as it stands."),
        R("段落", "Paragraphs", "一行目\n二行目\n\n新しい段落",
          "続けて書いた行は一つの段落になり、行ごとに改行します。空行で段落が終わります。",
          "Lines written one after another make one paragraph, each ending with a line break; an empty line ends it."),
        R("表", "Tables", "|_. 品名|_. 数|\n|りんご|>. 3|\n|\\2. 二列にまたがる|\n|/2. 二行|=. 中央|\n|<. 左|",
          "<code>|</code> でセルを区切ります。セルの先頭に、空白を続けて <code>_.</code> (見出しのセル)、<code>\\2.</code> (2 列にまたがる)、"
          "<code>/2.</code> (2 行にまたがる)、<code>&lt;.</code> <code>=.</code> <code>&gt;.</code> (左・中央・右寄せ) を書けます。",
          "Cells are separated by <code>|</code>. A cell may start with <code>_.</code> (header cell),"
          " <code>\\2.</code> (two columns), <code>/2.</code> (two rows), <code>&lt;.</code>, <code>=.</code>,"
          " <code>&gt;.</code> (left, centre, right), each followed by a blank."),
        R("水平線", "Horizontal rules", "---", "<code>-</code> を 3 個以上書いた行です。",
          "A line of three or more <code>-</code>."),
        R("整形済みテキスト", "Preformatted text", " 行頭に空白\n 書いたとおりに表示", "行の先頭に空白を一つ書きます。",
          "Start the line with a blank."),
        R("引用", "Quotations", "bq. 引用する文", "<code>bq.</code> と空白の後に書きます。一行で一つの引用です。",
          "<code>bq.</code> and a blank; one line is one quotation."),
        R("箇条書き", "Lists", "* 項目\n** 入れ子\n# 番号付き\n## 入れ子の番号付き",
          "<code>*</code> か <code>#</code> を 1～3 個と空白を書きます。", "One to three <code>*</code> or <code>#</code>, then a blank."),
        R("整形済みブロック", "Preformatted block", "<pre>\n*そのまま* 表示\n  書いたとおり\n</pre>",
          "<code>&lt;pre&gt;</code> で始まる行から <code>&lt;/pre&gt;</code> で始まる行までを、何も変換せずに表示します。",
          "From a line starting with <code>&lt;pre&gt;</code> to one starting with <code>&lt;/pre&gt;</code>, nothing converted."),
        R("寄せ", "Alignment", "p>. 右寄せ\np=. 中央寄せ\np. 左寄せ",
          "<code>p&gt;.</code>、<code>p=.</code>、<code>p.</code> と空白の後に書きます。一行ごとに一つのブロックです。",
          "<code>p&gt;.</code>, <code>p=.</code> or <code>p.</code> and a blank; one line each."),
        R("文字の装飾", "Phrases", "*強調* _斜体_ +下線+ -取り消し- ??引用元?? @コード@\n単語の中でも[*強調*]できます",
          "記号の前後に空白をはさむか、行の端に書きます。角かっこで囲むと、単語の途中でも使えます。",
          "Marks between blanks or at the line's edges; in square brackets they work inside a word too."),
        R("スタイル", "Styled text", "%{color:red}赤い文字%", "<code>%{スタイル}文字%</code> で、文字に CSS のスタイルを付けます。",
          "<code>%{style}text%</code> gives the text a CSS style."),
        R("リンク", "Links",
          "\"サイト\":http://example.com/ と [\"例\":http://example.com/]\n[[ページ]] [[FrontPage|表紙]] [[新しいページ]]",
          "<code>\"文字\":アドレス</code> (前後に空白)、<code>[\"文字\":アドレス]</code>、<code>[[ページ名]]</code>、<code>[[ページ名|表示する文字]]</code> がリンクになります。",
          "<code>\"text\":address</code> (between blanks), <code>[\"text\":address]</code>, <code>[[page"
          " name]]</code> and <code>[[page name|shown text]]</code> are links."),
        R("プラグイン", "Plug-ins", "{{color(red,赤い文字)}} と {{br}}",
          "<code>{{名前(引数)}}</code> か <code>{{名前}}</code> の形で呼び出します。",
          "Call one as <code>{{name(arguments)}}</code> or <code>{{name}}</code>."),
    ],
})

NOTATIONS.append({
    "id": "markdown", "name": "Markdown", "cli": "markdown",
    "intro_ja": "<p>Markdown風は、広く使われている Markdown の書き方で書けます。ブロック (段落、見出し、リスト、表など) は空行で区切ります。"
                "ページに書いた HTML のブロックはそのまま出力されます。脚注とプラグインはありません。</p>",
    "intro_en": "<p>Markdown style is the widely used Markdown. Blocks (paragraphs, headings,"
                " lists, tables) are separated by empty lines. HTML blocks in the page go out as"
                " written. There are no footnotes and no plug-ins.</p>",
    "rules": [
        R("見出し", "Headings", "# 大見出し\n\n## 中見出し\n\n###### 一番小さい見出し",
          "行の先頭に <code>#</code> を 1～6 個と空白を書きます。", "One to six <code>#</code> and a blank."),
        R("下線の見出し", "Underlined headings", "大見出し\n========\n\n中見出し\n--------",
          "次の行に <code>=</code> を並べると大見出し、<code>-</code> を並べると中見出しです。",
          "A line of <code>=</code> under the text makes a level-1 heading, a line of <code>-</code> level 2."),
        R("段落と改行", "Paragraphs and line breaks", "一行目の終わりに空白を二つ  \n二行目\n\n新しい段落",
          "続けて書いた行は一つの段落になります。行の最後に空白を二つ書くと、そこで改行します。",
          "Lines in a row make one paragraph; two blanks at the end of a line make a line break."),
        R("水平線", "Horizontal rules", "前の段落\n\n* * *\n\n---", "<code>*</code>、<code>-</code>、<code>_</code> を 3 個以上並べた行です (間に空白を入れても構いません)。",
          "A line of three or more <code>*</code>, <code>-</code> or <code>_</code>, blanks allowed between."),
        R("引用", "Quotations", "> 引用する文\n> 続き\n>\n> > 入れ子の引用",
          "行の先頭に <code>&gt;</code> を書きます。引用の中にも見出しやリストなどが書けます。",
          "Start the lines with <code>&gt;</code>; a quotation may hold any other block."),
        R("リスト", "Lists", "* 項目一\n* 項目二\n    * 入れ子 (空白四つ)",
          "<code>*</code>、<code>+</code>、<code>-</code> か、数字と <code>.</code> の後に空白を書きます。最初の項目の記号で番号付きかどうかが決まります。"
          "空白四つ下げると入れ子になります。",
          "<code>*</code>, <code>+</code>, <code>-</code> or a number and <code>.</code>, then a blank. The first"
          " item decides whether the list is numbered. Four blanks in nest a list."),
        R("番号付きのリスト", "Numbered lists", "1. 一つ目\n2. 二つ目\n5. 番号は書いたものでなく順に付きます",
          "数字と <code>.</code> で始めます。番号は 1 から順に付きます。箇条書きのすぐ後に空行一つで続けると、同じリストの項目になります。",
          "Start with a number and <code>.</code>; items are numbered from 1 in order. Right after"
          " a list and one empty line, the items join that list."),
        R("段落になる項目", "Items as paragraphs", "* 項目一\n\n* 項目二",
          "項目の間に空行を入れると、項目の中身が段落になります。", "An empty line between items makes their text paragraphs."),
        R("コード ブロック", "Code blocks", "前の段落\n\n    行頭に空白四つ\n    <b>そのまま</b>",
          "空白四つかタブで始まる行は、書いたとおりに表示します。", "Lines starting with four blanks or a tab are shown as typed."),
        R("フェンス付きのコード ブロック", "Fenced code blocks", "前の段落\n\n```\n# 見出しにはなりません\n*そのまま*\n```",
          "空行の後の <code>```</code> の行から <code>```</code> の行までを、書いたとおりに表示します。閉じる <code>```</code> の行の後は、空行かページの終わりでなければなりません。ページの一行目から始めることはできません。",
          "From a line <code>```</code> after an empty line to a line <code>```</code>, shown as typed."
          " An empty line or the end of the page must follow the closing fence, and a fence cannot"
          " open on the first line of the page."),
        R("表", "Tables", "前の段落\n\n| 品名 | 数 | 備考 |\n|:-----|---:|:----:|\n| りんご | 3 | 赤 |\n| みかん | 5 | 橙 |",
          "空行の後に、見出しの行、<code>-</code> と <code>:</code> の行、本文の行を書きます。<code>:-</code> は左、<code>-:</code> は右、<code>:-:</code> は中央寄せです。"
          "ページの一行目から始めることはできません。",
          "After an empty line: the header row, a line of <code>-</code> and <code>:</code>, the body rows."
          " <code>:-</code> aligns left, <code>-:</code> right, <code>:-:</code> centre. A table cannot"
          " start on the first line of the page."),
        R("HTML", "HTML", "<div class=\"note\">\nこの中は *変換されません*\n</div>",
          "行の先頭から始まる <code>div</code>、<code>table</code>、<code>p</code> などの HTML のブロックは、そのまま出力されます。",
          "HTML blocks such as <code>div</code>, <code>table</code> or <code>p</code> starting a line go out as written."),
        R("強調", "Emphasis", "*斜体* と _斜体_、**太字** と __太字__、***両方***",
          "<code>*</code> か <code>_</code> 一つで斜体 (em)、二つで太字 (strong) です。", "One <code>*</code> or <code>_</code> for emphasis, two for strong."),
        R("コード", "Code", "`*そのまま*` と `` `も` ``", "<code>`</code> で囲んだ文字は変換せずに等幅で表示します。",
          "Text between backticks is shown as typed in a fixed-width font."),
        R("バックスラッシュ", "Backslash escapes", "\\*星\\* と \\# と \\[かっこ\\]",
          "記号の前に <code>\\</code> を書くと、その記号はそのまま表示されます。", "A backslash before a mark shows the mark itself."),
        R("リンク", "Links",
          "[サイト](http://example.com/ \"説明\") と <http://example.com/>\n[[ページ]] と [[新しいページ]]",
          "<code>[文字](アドレス \"説明\")</code>、<code>&lt;アドレス&gt;</code>、<code>[[ページ名]]</code> がリンクになります。むき出しのアドレスはリンクになりません。",
          "<code>[text](address \"title\")</code>, <code>&lt;address&gt;</code> and <code>[[page name]]</code>"
          " are links; a bare address is not."),
        R("参照リンク", "Reference links", "[サイト][ex] と [ex][]\n\n[ex]: http://example.com/ \"説明\"",
          "アドレスを別の行に <code>[名前]: アドレス \"説明\"</code> と書いておき、<code>[文字][名前]</code> で使います。名前の大文字と小文字は区別しません。",
          "Define the address on a line <code>[id]: address \"title\"</code> and use it as"
          " <code>[text][id]</code>; ids ignore letter case."),
        R("画像", "Images", "![ロゴ](/images/logo.png \"説明\")\n\n![ロゴ][logo]\n\n[logo]: /images/logo.png",
          "リンクの前に <code>!</code> を付けると画像になります。", "A <code>!</code> before a link shows a picture."),
        R("画像のリンク", "Linked images", "[![ロゴ](/images/logo.png)](http://example.com/)",
          "リンクの文字の代わりに画像を書くと、画像がリンクになります。", "An image as the link text makes the picture a link."),
        R("HTML のタグと文字参照", "Inline HTML and character references", "<span class=\"a_b_c\">タグ</span> と &copy; &Auml;",
          "文の中の HTML のタグや <code>&amp;copy;</code> のような文字参照は、書いたまま出力されます。",
          "HTML tags inside the text and character references such as <code>&amp;copy;</code> go out as written."),
        R("文字 < と &", "The characters < and &", "1 < 2 & AT&T",
          "タグや文字参照にならない <code>&lt;</code> と <code>&amp;</code> は、そのまま文字として表示されます。",
          "A <code>&lt;</code> or <code>&amp;</code> that starts no tag or character reference is shown as the character."),
        R("メール アドレス", "Mail addresses", "<info@example.com>",
          "<code>&lt;</code> と <code>&gt;</code> で囲んだメール アドレスはメールのリンクになります。",
          "A mail address between <code>&lt;</code> and <code>&gt;</code> becomes a mail link."),
    ],
})

# Each notation as the notation box of the main window names it.
NAMES = {
    "ja": {"yukiwiki": "YukiWiki風", "pukiwiki": "PukiWiki風", "hatena": "はてな風",
           "mediawiki": "MediaWiki風", "livedoor": "livedoor Wiki風",
           "freestyle": "FreeStyle Wiki風", "textile": "Textile風", "markdown": "Markdown風"},
    "en": {"yukiwiki": "YukiWiki style", "pukiwiki": "PukiWiki style", "hatena": "Hatena style",
           "mediawiki": "MediaWiki style", "livedoor": "livedoor Wiki style",
           "freestyle": "FreeStyleWiki style", "textile": "Textile style",
           "markdown": "Markdown style"},
}

# The English help's examples, by notation and rule (the English title); a rule without one
# here shows the same markup in both languages.
EN_MARKUP = {
    ("yukiwiki", "Headings"): "*Big heading\n**Middle heading\n***Small heading",
    ("yukiwiki", "Paragraphs"): "This is the first line, \nand this line joins it.\n\nAn empty line starts a new paragraph.",
    ("yukiwiki", "Preformatted text"): " One blank at the start\n   shows the line as typed",
    ("yukiwiki", "Quotations"): ">A quotation.\n>>Second level\n>>>Third level\n>Back to the first level",
    ("yukiwiki", "Lists"): "-Item one\n--Nested item\n---Third level\n-Item two\ngoes on here",
    ("yukiwiki", "Definition lists"): ":Term:What the term means\n:Tarnel:A desktop wiki",
    ("yukiwiki", "Tables"): ",Fruit,Count, Note \n,Apples, 3,\"red, sweet\"\n,Oranges,==,==",
    ("yukiwiki", "Horizontal rules"): "Text above\n----\nText below",
    ("yukiwiki", "Preformatted block with inline rules"): "--(\nLine breaks stay,\n''bold'' and links such as FrontPage work\n--)",
    ("yukiwiki", "Preformatted block, text only"): "---(\n''Nothing'' FrontPage\nis converted here\n---)",
    ("yukiwiki", "Bold and italic"): "''bold'' and '''italic'''",
    ("yukiwiki", "Links"): "FrontPage and NewPage\n\n[[Notes]] and [[Meeting notes]]\n\nhttp://example.com/ and http://example.com/logo.png",
    ("yukiwiki", "Loose WikiNames"): "ABCdef and TarnelWiki",
    ("yukiwiki", "Plug-ins"): "&color(red,red text) and &size(20,big text)",
    ("pukiwiki", "Headings"): "*Big heading [#top]\n**Middle heading\n***Small heading",
    ("pukiwiki", "Paragraphs"): "This is the first line, \nand this line joins it.\n\n~*A line may start with a mark this way",
    ("pukiwiki", "Paragraphs, keeping line breaks"): "First line\nSecond line",
    ("pukiwiki", "Line breaks"): "First line~\nSecond line",
    ("pukiwiki", "Preformatted text"): " A blank at the start\n shows the line as typed",
    ("pukiwiki", "Quotations"): ">Quotation\n>>Second level\n>>>Third level",
    ("pukiwiki", "Bulleted lists"): "-Item one\n--Nested\n---Third level\n-Item two\ngoes on here",
    ("pukiwiki", "Numbered lists"): "+Step one\n++A smaller step\n+Step two",
    ("pukiwiki", "Preformatted text in a list"): "-Settings, for example:\n [File]\n Extension=.txt\n-Next item",
    ("pukiwiki", "Definition lists"): ":Term|What the term means",
    ("pukiwiki", "Comma tables"): ",Fruit,Count\n,Apples, 3",
    ("pukiwiki", "Pipe tables"): "|~Fruit|~Count|~Note|h\n|Apples|3|red|\n|~|5|green|\n|>|Total|8|\n|CENTER:BGCOLOR(yellow):centre|RIGHT:right|SIZE(9):small|",
    ("pukiwiki", "Horizontal rules"): "----",
    ("pukiwiki", "Alignment"): "RIGHT:Right\nCENTER:Centred\nand this line too\nLEFT:Left",
    ("pukiwiki", "Text decoration"): "''strong'' '''italic''' %%struck out%%",
    ("pukiwiki", "Footnotes"): "The text((This is a footnote)).\nAnother one((One more)).",
    ("pukiwiki", "Comments"): "A line before. \n// This line is not shown\nA line after.",
    ("pukiwiki", "Links"): "WikiName and [[Notes]] and [[Meeting notes]]\n\n[[Home>FrontPage]] and [[Site>http://example.com/]]\n\n[[http://example.com/logo.png>http://example.com/]]",
    ("pukiwiki", "Plug-ins"): "&color(red,red text); &color(blue){blue text}; &br;",
    ("pukiwiki", "Block plug-ins"): "#source(){{\nFrontPage\n}}",
    ("hatena", "Headings"): "*Big heading\n**Middle heading\n***Small heading",
    ("hatena", "Paragraphs and empty lines"): "First line\nSecond line\n\n\nTwo empty lines in a row leave a gap",
    ("hatena", "HTML"): "<b>bold</b> and <span style=\"color:red\">red</span>",
    ("hatena", "Quotations"): ">>\nQuoted text\n-a list inside the quotation\n<<",
    ("hatena", "Ascii art"): ">|aa|\n  (^_^)\n  <  >\n||<",
    ("hatena", "Preformatted block, text only"): ">||\n<b>Tags</b> and [[Notes]]\nare shown as typed\n||<",
    ("hatena", "Preformatted block with rules"): ">|\nLine breaks stay,\nlinks such as [[Notes]] work\n|<",
    ("hatena", "Tables"): "|*Fruit|*Count|\n|Apples|3|\n|Oranges|5|",
    ("hatena", "Definition lists"): ":Term:Description",
    ("hatena", "Horizontal rules"): "====",
    ("hatena", "Lists"): "-Item\n--Nested\n+Numbered\n++Nested numbered",
    ("hatena", "Footnotes"): "The text((The footnote))",
    ("hatena", "Links"): "[[Notes]] and [[Meeting notes]]\nhttp://example.com/",
    ("hatena", "Plug-ins"): "[color:red,red text] and [size:20,big text]",
    ("mediawiki", "Headings"): "== Big heading ==\n=== Middle heading ===\n==== Small heading ====",
    ("mediawiki", "Paragraphs"): "First line\nsecond line\n\nA new paragraph",
    ("mediawiki", "Preformatted text"): " A blank at the start\n shows the line as typed",
    ("mediawiki", "Definition lists"): "; Term : Description",
    ("mediawiki", "Horizontal rules"): "----",
    ("mediawiki", "Lists"): "* Item\n** Nested\n# Numbered\n## Nested numbered\nmore text",
    ("mediawiki", "Bold and italic"): "'''bold''' and ''italic'' and '''''both'''''",
    ("mediawiki", "HTML"): "<u>underlined</u> <small>small</small>",
    ("mediawiki", "Links"): "WikiName and [[Notes]] and [[FrontPage|Home]]\n[[http://example.com/|Site]] http://example.com/logo.png",
    ("mediawiki", "Plug-ins"): "{{color|red|red text}} and {{size|20|big}}",
    ("livedoor", "Comments"): "A line that is shown\n// a line that is not",
    ("livedoor", "Headings"): "*Big heading\n**Middle heading\n***Small heading",
    ("livedoor", "Paragraphs"): "First line\nSecond line",
    ("livedoor", "Quotations"): ">Quoted text\n starting with a blank quotes too\nand a plain line stays inside",
    ("livedoor", "Ascii art"): "=|AA|\n  (^_^)\n||=",
    ("livedoor", "Preformatted block"): "=||\n<b>as typed</b>\n||=",
    ("livedoor", "Tables"): "|~Fruit|Count|\n|Apples|3|\n|^|5|\n|>|Total|\n|center:bgcolor(yellow):centre|right:right|",
    ("livedoor", "Definition lists"): ":Term|Description",
    ("livedoor", "Horizontal rules"): "----",
    ("livedoor", "Lists"): "-Item\n--Nested\n+Numbered\n++Nested numbered",
    ("livedoor", "Text decoration"): "''strong'' '''italic''' %%%inserted%%% %%struck%% H__2__O break~~here",
    ("livedoor", "Footnotes"): "The text((The footnote))",
    ("livedoor", "Links"): "[[Notes]] [[Meeting notes]] [[Home>FrontPage]] [[Site>>http://example.com/]]",
    ("livedoor", "Plug-ins"): "&color(red){red text}",
    ("freestyle", "Comments"): "A line that is shown\n// a line that is not",
    ("freestyle", "Headings"): "!!!Big heading\n!!Middle heading\n!Small heading [#small]",
    ("freestyle", "Paragraphs"): "This is the first line, \nand this line joins it.\n\nA new paragraph",
    ("freestyle", "Preformatted text"): " A blank at the start\n shows the line as typed",
    ("freestyle", "Quotations"): "\"\"Quoted text\n\"\"and more of it",
    ("freestyle", "Tables"): ",Fruit,Count\n,Apples,3\n,\"with, comma\",5",
    ("freestyle", "Definition lists"): ":Term:Description",
    ("freestyle", "Horizontal rules"): "----",
    ("freestyle", "Lists"): "*Item\n**Nested\n+Numbered\n++Nested numbered",
    ("freestyle", "Text decoration"): "'''strong''' ''emphasis'' ==struck out== __inserted__",
    ("freestyle", "Links"): "[[Notes]] and [Meeting notes] and [Home|FrontPage]\n\n[Site|http://example.com/] and http://example.com/logo.png",
    ("freestyle", "Plug-ins"): "{{color red,red text}} and {{br}}",
    ("textile", "Headings"): "h1. Big heading\nh2. Middle heading\nh6. The smallest heading",
    ("textile", "Paragraphs"): "First line\nsecond line\n\nA new paragraph",
    ("textile", "Tables"): "|_. Fruit|_. Count|\n|Apples|>. 3|\n|\\2. two columns|\n|/2. two rows|=. centre|\n|<. left|",
    ("textile", "Horizontal rules"): "---",
    ("textile", "Preformatted text"): " A blank at the start\n shows the line as typed",
    ("textile", "Quotations"): "bq. Quoted text",
    ("textile", "Lists"): "* Item\n** Nested\n# Numbered\n## Nested numbered",
    ("textile", "Preformatted block"): "<pre>\n*as* typed\n  line by line\n</pre>",
    ("textile", "Alignment"): "p>. Right\np=. Centred\np. Left",
    ("textile", "Phrases"): "*strong* _emphasis_ +inserted+ -deleted- ??citation?? @code@\ninside a w[*or*]d too",
    ("textile", "Styled text"): "%{color:red}red text%",
    ("textile", "Links"): "\"Site\":http://example.com/ and [\"Example\":http://example.com/]\n[[Notes]] [[FrontPage|Home]] [[Meeting notes]]",
    ("textile", "Plug-ins"): "{{color(red,red text)}} and {{br}}",
    ("markdown", "Headings"): "# Big heading\n\n## Middle heading\n\n###### The smallest heading",
    ("markdown", "Underlined headings"): "Big heading\n===========\n\nMiddle heading\n--------------",
    ("markdown", "Paragraphs and line breaks"): "Two blanks end this line  \nthe second line\n\nA new paragraph",
    ("markdown", "Horizontal rules"): "A paragraph\n\n* * *\n\n---",
    ("markdown", "Quotations"): "> Quoted text\n> goes on\n>\n> > A nested quotation",
    ("markdown", "Lists"): "* Item one\n* Item two\n    * Nested (four blanks)",
    ("markdown", "Numbered lists"): "1. First\n2. Second\n5. Numbers count in order, whatever is typed",
    ("markdown", "Items as paragraphs"): "* Item one\n\n* Item two",
    ("markdown", "Code blocks"): "A paragraph\n\n    Four blanks at the start\n    <b>as typed</b>",
    ("markdown", "Fenced code blocks"): "A paragraph\n\n```\n# not a heading\n*as typed*\n```",
    ("markdown", "Tables"): "A paragraph\n\n| Fruit | Count | Note |\n|:------|------:|:----:|\n| Apples | 3 | red |\n| Oranges | 5 | orange |",
    ("markdown", "HTML"): "<div class=\"note\">\nNothing *here* is converted\n</div>",
    ("markdown", "Emphasis"): "*emphasis* and _emphasis_, **strong** and __strong__, ***both***",
    ("markdown", "Code"): "`*as typed*` and `` `too` ``",
    ("markdown", "Backslash escapes"): "\\*star\\* and \\# and \\[brackets\\]",
    ("markdown", "Links"): "[Site](http://example.com/ \"Title\") and <http://example.com/>\n[[Notes]] and [[Meeting notes]]",
    ("markdown", "Reference links"): "[Site][ex] and [ex][]\n\n[ex]: http://example.com/ \"Title\"",
    ("markdown", "Images"): "![Logo](/images/logo.png \"Title\")\n\n![Logo][logo]\n\n[logo]: /images/logo.png",
    ("markdown", "Linked images"): "[![Logo](/images/logo.png)](http://example.com/)",
    ("markdown", "Inline HTML and character references"): "<span class=\"a_b_c\">tag</span> and &copy; &Auml;",
    ("markdown", "Mail addresses"): "<info@example.com>",
    ("markdown", "The characters < and &"): "1 < 2 & AT&T",
}
