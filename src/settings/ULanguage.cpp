#include "settings/ULanguage.h"

#include "settings/AppFolder.h"
#include "settings/UIniFile.h"
#include "text/jconvert.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace tarnel {

namespace {

// ---------------------------------------------------------------------------------------
// The built-in Japanese texts
//
// Every key that the user interface looks up, grouped by window and sorted within a group.
// Captions and hints are the texts the windows are designed with; messages are the texts
// shown when the language file lacks them. The shipped Language/日本語.txt holds exactly
// these texts, and a test keeps the two in step.

const std::vector<TLanguageKey> kKeys = {
    // Main (111): The main window: menus and their hints, side tabs, messages, status texts.
    {"Main.Menu.Edit", "編集(&E)"},
    {"Main.Menu.Edit.Edit", "編集(&E)"},
    {"Main.Menu.Edit.Edit.Hint", "編集|ページを編集します。"},
    {"Main.Menu.File", "ファイル(&F)"},
    {"Main.Menu.File.Close", "終了(&X)"},
    {"Main.Menu.File.Close.Hint", "終了|Tarnelを終了します。"},
    {"Main.Menu.File.Copy", "コピー(&C)"},
    {"Main.Menu.File.Copy.Hint", "コピー|ページを別の名前でコピーします。"},
    {"Main.Menu.File.Delete", "削除(&D)"},
    {"Main.Menu.File.Delete.Hint", "削除|ページを削除します。"},
    {"Main.Menu.File.ExportHtml", "HTML出力(&H)..."},
    {"Main.Menu.File.ExportHtml.Hint", "HTML出力|WikiのページをHTMLファイルに出力します。"},
    {"Main.Menu.File.New", "新規作成(&N)..."},
    {"Main.Menu.File.New.Hint", "新規作成|新しいページを作成します。"},
    {"Main.Menu.File.NewWiki", "新Wiki作成(&W)..."},
    {"Main.Menu.File.NewWiki.Hint", "新Wiki作成|新しいWikiを作成します。"},
    {"Main.Menu.File.Open", "開く(&O)..."},
    {"Main.Menu.File.Open.Hint", "開く|ページファイルを開きます。"},
    {"Main.Menu.File.OpenFolder", "フォルダーを開く(&F)"},
    {"Main.Menu.File.OpenFolder.Hint", "フォルダーを開く|Wikiのフォルダーを開きます。"},
    {"Main.Menu.File.Print", "印刷(&P)..."},
    {"Main.Menu.File.Print.Hint", "印刷|表示中のページを印刷します。"},
    {"Main.Menu.File.PrintPreview", "印刷プレビュー(&E)..."},
    {"Main.Menu.File.PrintPreview.Hint", "印刷プレビュー|印刷結果をプレビューします。"},
    {"Main.Menu.File.Property", "プロパティ(&R)"},
    {"Main.Menu.File.Property.Hint", "プロパティ|ページファイルのプロパティを表示します。"},
    {"Main.Menu.File.Rename", "名前変更(&M)"},
    {"Main.Menu.File.Rename.Hint", "名前変更|ページの名前を変更します。"},
    {"Main.Menu.Help", "ヘルプ(&H)"},
    {"Main.Menu.Help.About", "バージョン情報(&A)"},
    {"Main.Menu.Help.About.Hint", "バージョン情報|バージョン情報を表示します。"},
    {"Main.Menu.Help.Help", "ヘルプ(&H)"},
    {"Main.Menu.Help.Help.Hint", "ヘルプ|ヘルプを表示します。"},
    {"Main.Menu.Help.Notation", "記法(&N)"},
    {"Main.Menu.Help.Notation.Hint", "記法|記法の説明を表示します。"},
    {"Main.Menu.Help.Plugin", "プラグイン(&P)"},
    {"Main.Menu.Help.Plugin.Hint", "プラグイン|プラグインの使い方を表示します。"},
    {"Main.Menu.Settings", "設定(&S)"},
    {"Main.Menu.Settings.Design", "デザインの選択(&D)..."},
    {"Main.Menu.Settings.Design.Hint", "デザインの選択|表示に使うデザインを選択します。"},
    {"Main.Menu.Settings.Tarnel", "Tarnelの設定(&S)..."},
    {"Main.Menu.Settings.Tarnel.Hint", "Tarnelの設定|Tarnelの設定を変更します。"},
    {"Main.Menu.Settings.Notation", "記法(&N)"},
    {"Main.Menu.Settings.Notation.FreeStyleWiki", "FreeStyle Wiki風(&F)"},
    {"Main.Menu.Settings.Notation.FreeStyleWiki.Hint",
     "FreeStyle Wiki風|FreeStyle Wiki風の記法に切り替えます。"},
    {"Main.Menu.Settings.Notation.Hatena", "はてな風(&H)"},
    {"Main.Menu.Settings.Notation.Hatena.Hint", "はてな風|はてな風の記法に切り替えます。"},
    {"Main.Menu.Settings.Notation.Hint", "記法|Wikiの記法を切り替えます。"},
    {"Main.Menu.Settings.Notation.LivedoorWiki", "livedoor Wiki風(&L)"},
    {"Main.Menu.Settings.Notation.LivedoorWiki.Hint",
     "livedoor Wiki風|livedoor Wiki風の記法に切り替えます。"},
    {"Main.Menu.Settings.Notation.Markdown", "Markdown風(&K)"},
    {"Main.Menu.Settings.Notation.Markdown.Hint", "Markdown風|Markdown風の記法に切り替えます。"},
    {"Main.Menu.Settings.Notation.MediaWiki", "MediaWiki風(&M)"},
    {"Main.Menu.Settings.Notation.MediaWiki.Hint", "MediaWiki風|MediaWiki風の記法に切り替えます。"},
    {"Main.Menu.Settings.Notation.PukiWiki", "PukiWiki風(&P)"},
    {"Main.Menu.Settings.Notation.PukiWiki.Hint", "PukiWiki風|PukiWiki風の記法に切り替えます。"},
    {"Main.Menu.Settings.Notation.Textile", "Textile風(&T)"},
    {"Main.Menu.Settings.Notation.Textile.Hint", "Textile風|Textile風の記法に切り替えます。"},
    {"Main.Menu.Settings.Notation.YukiWiki", "YukiWiki風(&Y)"},
    {"Main.Menu.Settings.Notation.YukiWiki.Hint", "YukiWiki風|YukiWiki風の記法に切り替えます。"},
    {"Main.Menu.Settings.Template", "テンプレート(&T)"},
    {"Main.Menu.Settings.Template.Hint", "テンプレート|表示に使うテンプレートを選択します。"},
    {"Main.Menu.View", "表示(&V)"},
    {"Main.Menu.View.Contents", "目次(&C)"},
    {"Main.Menu.View.Contents.Hint", "目次|目次の一覧を表示します。"},
    {"Main.Menu.View.List", "一覧(&L)"},
    {"Main.Menu.View.List.Hint", "一覧|ページの一覧を表示します。"},
    {"Main.Menu.View.PrevDocument", "前の文書(&P)"},
    {"Main.Menu.View.PrevDocument.Hint", "前の文書|前に表示していたページに戻ります。"},
    {"Main.Menu.View.Recent", "最近(&R)"},
    {"Main.Menu.View.Recent.Hint", "最近|最近表示したページの一覧を表示します。"},
    {"Main.Menu.View.Reload", "再読込(&R)"},
    {"Main.Menu.View.Reload.Hint", "再読込|表示中のページを読み込み直します。"},
    {"Main.Menu.View.Search", "検索(&S)"},
    {"Main.Menu.View.Search.Hint", "検索|ページの検索を表示します。"},
    {"Main.Menu.View.Top", "トップ(&T)"},
    {"Main.Menu.View.Top.Hint", "トップ|トップページを表示します。"},
    {"Main.Message.AddressRefused", "%s は開きません。"},
    {"Main.Message.FileExists", "%s は既に存在しています。"},
    {"Main.Message.NameUnencodable", "入力した名前にはページ名に使えない文字があります。"},
    {"Main.Message.PathNotFound", "%s が見つかりません。"},
    {"Main.Message.SearchTargetNotSet", "検索対象を選択して下さい。"},
    {"Main.Message.SearchWordNotSet", "検索語を入れて下さい。"},
    {"Main.Message.StdTemplateNotFound", "標準テンプレート %s が見つかりません。"},
    {"Main.Message.TemplateNotFound",
     "テンプレートファイル %s が見つからないので標準テンプレートを使用します。"},
    {"Main.Message.TopPageNotFound", "『%s』が見つかりません。新規に作成しますか？"},
    {"Main.Property.Close.Button", "閉じる(&C)"},
    {"Main.Property.Encoding", "文字コード"},
    {"Main.Property.LineBreak", "改行コード"},
    {"Main.Property.Modified", "更新日時"},
    {"Main.Property.Path", "場所"},
    {"Main.Property.Size", "サイズ(バイト)"},
    {"Main.Property.Title", "プロパティ"},
    {"Main.Side.Tab.Contents", "目次"},
    {"Main.Side.Tab.Contents.Hint", "目次|表示中のページの目次です。"},
    {"Main.Side.Tab.List", "一覧"},
    {"Main.Side.Tab.List.Hint", "一覧|Wikiのページの一覧です。"},
    {"Main.Side.Tab.List.Update", "更新"},
    {"Main.Side.Tab.Recent", "最近"},
    {"Main.Side.Tab.Recent.Hint", "最近|最近表示したページの一覧です。"},
    {"Main.Side.Tab.Search", "検索"},
    {"Main.Side.Tab.Search.Content", "本文"},
    {"Main.Side.Tab.Search.Content.Hint", "本文を検索対象にします。"},
    {"Main.Side.Tab.Search.Search", "検索"},
    {"Main.Side.Tab.Search.Title", "タイトル"},
    {"Main.Side.Tab.Search.Title.Hint", "タイトルを検索対象にします。"},
    {"Main.Status.Converting", "%sを変換しています…"},
    {"Main.Status.Wiki.Edit", "%sを編集"},
    {"Main.Status.Wiki.Move", "%sへ移動"},
    {"Main.Status.Wiki.New", "%sを新規作成"},
    {"Main.Title.Format", "%s - Tarnel"},
    {"Main.Tool.Language.Hint", "言語|表示に使う言語を選択します。"},
    {"Main.Tool.Notation.Hint", "記法|Wikiの記法を選択します。"},
    // Editor (79): The internal editor window and its settings dialog.
    {"Editor.Find.Cancel.Button", "キャンセル"},
    {"Editor.Find.Direction", "方向"},
    {"Editor.Find.Direction.Down", "下へ(&D)"},
    {"Editor.Find.Direction.Up", "上へ(&U)"},
    {"Editor.Find.MatchCase", "大文字と小文字を区別する(&C)"},
    {"Editor.Find.Next.Button", "次を検索(&F)"},
    {"Editor.Find.Replace.Button", "置換(&R)"},
    {"Editor.Find.ReplaceAll.Button", "すべて置換(&A)"},
    {"Editor.Find.What", "検索する文字列(&N):"},
    {"Editor.Find.WholeWord", "単語単位で探す(&W)"},
    {"Editor.Find.With", "置換後の文字列(&P):"},
    {"Editor.Menu.Edit", "編集(&E)"},
    {"Editor.Menu.Edit.Copy", "コピー(&C)"},
    {"Editor.Menu.Edit.Copy.Hint", "コピー|選択範囲をクリップボードにコピーします。"},
    {"Editor.Menu.Edit.Cut", "切り取り(&T)"},
    {"Editor.Menu.Edit.Cut.Hint", "切り取り|選択範囲を切り取ってクリップボードに移します。"},
    {"Editor.Menu.Edit.Find", "検索(&F)..."},
    {"Editor.Menu.Edit.Find.Hint", "検索|文字列を検索します。"},
    {"Editor.Menu.Edit.Paste", "貼り付け(&P)"},
    {"Editor.Menu.Edit.Paste.Hint", "貼り付け|クリップボードの内容を貼り付けます。"},
    {"Editor.Menu.Edit.Redo", "やり直し(&R)"},
    {"Editor.Menu.Edit.Redo.Hint", "やり直し|元に戻した操作をやり直します。"},
    {"Editor.Menu.Edit.Replace", "置換(&R)..."},
    {"Editor.Menu.Edit.Replace.Hint", "置換|文字列を置換します。"},
    {"Editor.Menu.Edit.SelectAll", "すべて選択(&A)"},
    {"Editor.Menu.Edit.SelectAll.Hint", "すべて選択|文書全体を選択します。"},
    {"Editor.Menu.Edit.Undo", "元に戻す(&U)"},
    {"Editor.Menu.Edit.Undo.Hint", "元に戻す|直前の操作を取り消します。"},
    {"Editor.Menu.File", "ファイル(&F)"},
    {"Editor.Menu.File.Close", "閉じる(&C)"},
    {"Editor.Menu.File.Close.Hint", "閉じる|編集画面を閉じます。"},
    {"Editor.Menu.File.Save", "保存(&S)"},
    {"Editor.Menu.File.Save.Hint", "保存|編集の文書を保存します。"},
    {"Editor.Menu.Help", "ヘルプ(&H)"},
    {"Editor.Menu.Help.Notation", "ヘルプ(&H)"},
    {"Editor.Menu.Help.Notation.Hint", "ヘルプ|記法の説明を表示します。"},
    {"Editor.Menu.Help.Plugin", "プラグイン(&P)"},
    {"Editor.Menu.Help.Plugin.Hint", "プラグイン|プラグインの使い方を表示します。"},
    {"Editor.Menu.Insert", "挿入(&I)"},
    {"Editor.Menu.Insert.Date", "日付(&D)"},
    {"Editor.Menu.Insert.Date.Hint", "日付|現在の日付を挿入します。"},
    {"Editor.Menu.Insert.Datetime", "日時(&N)"},
    {"Editor.Menu.Insert.Datetime.Hint", "日時|現在の日付と時刻を挿入します。"},
    {"Editor.Menu.Insert.Time", "時刻(&T)"},
    {"Editor.Menu.Insert.Time.Hint", "時刻|現在の時刻を挿入します。"},
    {"Editor.Menu.Settings", "設定(&S)"},
    {"Editor.Menu.Settings.Editor", "エディタの設定(&S)"},
    {"Editor.Menu.Settings.Editor.Hint", "エディタの設定|エディタの折り返しや表示を設定します。"},
    {"Editor.Message.ChangedOutside.Format",
     "%s は編集中にほかのプログラムによって変更されました。"},
    {"Editor.Message.CreatedOutside.Format",
     "%s は編集中にほかのプログラムによって作成されました。"},
    {"Editor.Message.DeletedOutside.Format",
     "%s は編集中にほかのプログラムによって削除されました。"},
    {"Editor.Message.EmptySave.Format", "%s を削除してもよろしいですか？"},
    {"Editor.Message.Unencodable", "次の文字はページに保存できません。保存すると「?」になります。"},
    {"Editor.Message.Unencodable.Line.Format", "%s 行目"},
    {"Editor.Message.Unencodable.More.Format", "ほか %s 文字"},
    {"Editor.Message.Unencodable.Question", "このまま保存しますか？"},
    {"Editor.Message.UnsafeLines.Format",
     "%s 行目には、このエディタで保存すると変わる文字があります。"},
    {"Editor.Outside.Keep.Button", "編集を続ける(&K)"},
    {"Editor.Outside.Overwrite.Button", "上書きする(&O)"},
    {"Editor.Outside.Reload.Button", "読み込み直す(&R)"},
    {"Editor.Property.Addresses", "URLとメールアドレスに色を付ける"},
    {"Editor.Property.Brackets", "対応する括弧を強調する"},
    {"Editor.Property.EndMark", "[EOF]マークを表示する"},
    {"Editor.Property.Font", "フォント"},
    {"Editor.Property.LineEnds", "改行マークを表示する"},
    {"Editor.Property.LineNumbers", "行番号を表示する"},
    {"Editor.Property.TabWidth", "タブの幅"},
    {"Editor.Property.Title", "表示の詳細設定"},
    {"Editor.Property.WrapColumn", "折り返し桁数"},
    {"Editor.Replace.NotFound.Message", "見つかりませんでした。"},
    {"Editor.Replace.NotFound.Title", "置換"},
    {"Editor.Search.NotFound.Message", "見つかりませんでした。"},
    {"Editor.Search.NotFound.Title", "検索"},
    {"Editor.Settings.Close.Button", "閉じる(&C)"},
    {"Editor.Settings.Detail.Button", "詳細設定"},
    {"Editor.Settings.Ok.Button", "&OK"},
    {"Editor.Settings.Tab.View", "表示"},
    {"Editor.Settings.Tab.WordWrap", "折り返し"},
    {"Editor.Settings.Title", "エディタの設定"},
    {"Editor.Settings.View.StayOnTop", "前面に表示"},
    {"Editor.Settings.View.StayOnTop.Hint", "表示部分よりもエディタ画面を前面に表示します。"},
    {"Editor.Settings.WordWrap.Radio.Indication", "指定桁数で折り返す"},
    {"Editor.Settings.WordWrap.Radio.No", "折り返さない"},
    {"Editor.Settings.WordWrap.Radio.RightSide", "右端で折り返す"},
    {"Editor.Title.Format", "%s - 編集"},
    {"Editor.Title.New", "編集"},
    // Dialog (9): Prompts and confirmations of the page commands.
    {"Dialog.Copy.Caption", "タイトルの入力"},
    {"Dialog.Copy.Title.Format", "ファイルコピー(%s)"},
    {"Dialog.Delete.Confirm.Format", "%s を削除してもよろしいですか？"},
    {"Dialog.New.Caption", "タイトルの入力"},
    {"Dialog.New.Title", "新規作成"},
    {"Dialog.NewWiki.Caption", "Wikiファイル保存フォルダ"},
    {"Dialog.Open.Filter", "Wikiページ|*.txt|すべてのファイル|*.*"},
    {"Dialog.Rename.Caption", "タイトルの入力"},
    {"Dialog.Rename.Title.Format", "名前変更(%s)"},
    // Settings (49): The design dialog and the settings dialog.
    {"Settings.Design.Apply.Button", "適用(&A)"},
    {"Settings.Design.Cancel.Button", "キャンセル"},
    {"Settings.Design.NoSelect", "デザインを選択して下さい。"},
    {"Settings.Design.Ok.Button", "OK"},
    {"Settings.Design.Title", "デザインの選択"},
    {"Settings.Design.Update.Button", "更新(&U)"},
    {"Settings.Design.Update.Button.Hint",
     "デザインの一覧を取得し直して、現在設定中のデザインを選択します。"},
    {"Settings.Wiki.Close.Button", "閉じる(&C)"},
    {"Settings.Wiki.Editor.Caption", "使用エディタ"},
    {"Settings.Wiki.File.Extension", "ファイル拡張子"},
    {"Settings.Wiki.File.TopPage", "トップページ名"},
    {"Settings.Wiki.FileNameEncoding", "ファイル名をUTF-8ベースにする"},
    {"Settings.Wiki.Link.DontLinkWikiName", "WikiName形式の?リンクを表示しない"},
    {"Settings.Wiki.Link.LooseWikiName", "ゆるいWikiNameを使用する"},
    {"Settings.Wiki.Link.OpenBrowserOuterLink", "外部リンクはブラウザで開く"},
    {"Settings.Wiki.List.DisplayHierarchy", "スラッシュで階層表示する"},
    {"Settings.Wiki.Notation.DoNotIgnoreLineBreaks", "改行を無視しない"},
    {"Settings.Wiki.Notation.ForPukiWiki", "PukiWiki風用"},
    {"Settings.Wiki.Ok.Button", "&OK"},
    {"Settings.Wiki.ReadEncoding.Caption", "読み込み文字コード"},
    {"Settings.Wiki.ReadEncoding.Radio.Auto", "自動判別"},
    {"Settings.Wiki.ReadEncoding.Radio.Euc", "EUC"},
    {"Settings.Wiki.RestrictChangeWikiNotation", "記法を固定する"},
    {"Settings.Wiki.RestrictCreateNewWiki", "新Wiki作成を無効にする"},
    {"Settings.Wiki.Tab.Editor", "エディタ"},
    {"Settings.Wiki.Tab.Encoding", "文字コード"},
    {"Settings.Wiki.Tab.File", "ファイル"},
    {"Settings.Wiki.Tab.Link", "リンク"},
    {"Settings.Wiki.Tab.List", "一覧"},
    {"Settings.Wiki.Tab.Notation", "書式"},
    {"Settings.Wiki.Tab.Restrict", "制限"},
    {"Settings.Wiki.Tab.Tray", "トレイ"},
    {"Settings.Wiki.Tab.View", "表示方式"},
    {"Settings.Wiki.Title", "Tarnelの設定"},
    {"Settings.Wiki.TitleEncoding", "#TitleをUTF-8で出力する"},
    {"Settings.Wiki.Tray.Minimize", "最小化時システムトレイ(タスクトレイ)に格納する"},
    {"Settings.Wiki.Tray.Required", "本項目は再起動後に有効になります。"},
    {"Settings.Wiki.View.Browse.Button", "参照(&R)..."},
    {"Settings.Wiki.View.Caption", "表示方式"},
    {"Settings.Wiki.View.Description.1", "　通常は「about:blank」をご利用下さい。"},
    {"Settings.Wiki.View.Description.2",
     "　ローカルファイルへのリンクを有効にする場合は「一時ファイル」をご利用下さい。"},
    {"Settings.Wiki.View.Radio.AboutBlank", "about:blank(標準)"},
    {"Settings.Wiki.View.Radio.BuildIn", "内蔵エディタ"},
    {"Settings.Wiki.View.Radio.Indication", "指定エディタ  [例]gedit \"%f\""},
    {"Settings.Wiki.View.Radio.Standard", "標準エディタ"},
    {"Settings.Wiki.View.Radio.TemporaryFile", "一時ファイル"},
    {"Settings.Wiki.View.Required", "本項目は再起動後に有効になります。"},
    {"Settings.Wiki.Message.BadExtension.Format", "ファイル拡張子 %s は使えません。"},
    {"Settings.Wiki.View.Browse.Filter", "すべてのファイル|*"},
    // HtmlExport (33): The HTML export dialog.
    {"HtmlExport.Cancel.Button", "キャンセル"},
    {"HtmlExport.CharacterSet.Caption", "出力文字コード"},
    {"HtmlExport.CopyFolder.Check", "フォルダをコピーする"},
    {"HtmlExport.CopyFolder.Hint", "ドキュメントフォルダ配下のフォルダを出力先にコピーします。"},
    {"HtmlExport.ExportFolder.Button", "参照(&B)..."},
    {"HtmlExport.ExportFolder.Caption", "HTMLファイル保存フォルダ"},
    {"HtmlExport.ExportTarget.Caption", "出力対象"},
    {"HtmlExport.ExportTarget.Radio.All", "すべてのファイル"},
    {"HtmlExport.ExportTarget.Radio.Indication",
     "指定のファイル (複数選択はCtrlを押しながらクリック)"},
    {"HtmlExport.FileName.Caption", "ファイル名"},
    {"HtmlExport.FileName.Radio.Standard", "標準"},
    {"HtmlExport.FileName.Radio.Title", "タイトル (内部リンクは無効になります)"},
    {"HtmlExport.FolderNotFound.Format", "フォルダ %s が見つかりません。"},
    {"HtmlExport.IndexTemplate.Caption", "出力テンプレート"},
    {"HtmlExport.IndexTemplate.Hint", "index.html用のテンプレートを選択します。"},
    {"HtmlExport.MakeIndex.Check", "index.htmlを作成する"},
    {"HtmlExport.MakeIndex.Hint", "インデックスページを作成します。"},
    {"HtmlExport.Message.Overwrite.Format",
     "出力先のファイル %s はTarnelが出力したものではありません。上書きしますか？"},
    {"HtmlExport.NoModifyExport.Check", "未更新のファイルも出力する"},
    {"HtmlExport.NoModifyExport.Hint",
     "対応するHTMLが存在する場合にHTMLが新しくても再出力します。"},
    {"HtmlExport.Ok.Button", "OK"},
    {"HtmlExport.Template.Caption", "出力テンプレート"},
    {"HtmlExport.Title", "HTML出力の設定"},
    {"HtmlExport.Progress.Cancel.Button", "キャンセル"},
    {"HtmlExport.Progress.Caption", "HTMLファイルを出力しています"},
    {"HtmlExport.Progress.Title", "HTML出力中"},
    {"HtmlExport.Result.Cancelled",
     "HTML出力を中止しました。それまでに出力したファイルは残っています。"},
    {"HtmlExport.Result.Done", "HTML出力が終わりました。"},
    {"HtmlExport.Result.Error", "HTML出力できませんでした。"},
    {"HtmlExport.Result.Failed", "HTML出力が終わりましたが、出力できなかったページがあります。"},
    {"HtmlExport.Result.NotWritten.Format", "出力できなかったページ: %s"},
    {"HtmlExport.Result.Unchanged.Format", "更新のなかったページ: %s"},
    {"HtmlExport.Result.Written.Format", "出力したページ: %s"},
    // PluginUsage (11): The plug-in usage window.
    {"PluginUsage.Close.Button", "閉じる(&C)"},
    {"PluginUsage.Header.Author", "作者"},
    {"PluginUsage.Header.FileName", "ファイル名"},
    {"PluginUsage.Header.Name", "名前"},
    {"PluginUsage.Header.Type", "タイプ"},
    {"PluginUsage.Header.Version", "バージョン"},
    {"PluginUsage.Info.Description", "解説"},
    {"PluginUsage.Info.Example", "実例"},
    {"PluginUsage.Info.FileName", "ファイル名"},
    {"PluginUsage.Info.Syntax", "記法"},
    {"PluginUsage.Title", "プラグインの使い方"},
    // Searching (3): The search progress window.
    {"Searching.Cancel.Button", "キャンセル"},
    {"Searching.Caption", "検索中です"},
    {"Searching.Title", "検索中"},
    // Notation (9): Notation names and the notation help window.
    {"Notation.FreeStyleWiki", "FreeStyle Wiki風"},
    {"Notation.Hatena", "はてな風"},
    {"Notation.Help.Title", "テキスト整形のルール"},
    {"Notation.LivedoorWiki", "livedoor Wiki風"},
    {"Notation.Markdown", "Markdown風"},
    {"Notation.MediaWiki", "MediaWiki風"},
    {"Notation.PukiWiki", "PukiWiki風"},
    {"Notation.Textile", "Textile風"},
    {"Notation.YukiWiki", "YukiWiki風"},
    // About (1): The About box.
    {"About.Title", "バージョン情報"},
    // File (2): Help documents, relative to the program folder.
    {"File.Help", "help/japanese.html"},
    {"File.NotationHelp", "notation/japanese.html"},
};

std::string FoldKey(std::string_view key) {
    std::string folded(key);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

bool IsValidUtf8(std::string_view text) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char c = byte(i);
        std::size_t length;
        unsigned char low = 0x80, high = 0xBF; // range of the second byte
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0) low = 0xA0;  // overlong forms
            if (c == 0xED) high = 0x9F; // surrogates
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0) low = 0x90;  // overlong forms
            if (c == 0xF4) high = 0x8F; // beyond U+10FFFF
        } else {
            return false;
        }
        if (text.size() - i < length) return false;
        if (byte(i + 1) < low || byte(i + 1) > high) return false;
        for (std::size_t k = 2; k < length; ++k)
            if ((byte(i + k) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    std::string fa = FoldKey(a), fb = FoldKey(b);
    return fa != fb ? fa < fb : a < b;
}

bool EndsWithTxt(const std::string& name) {
    return name.size() > 4 && SameTextAscii(std::string_view(name).substr(name.size() - 4), ".txt");
}

} // namespace

const std::vector<TLanguageKey>& LanguageKeys() {
    return kKeys;
}

const std::string& BuiltInText(std::string_view key) {
    // Converted to display form once, on first use.
    static const std::unordered_map<std::string, std::string> texts = [] {
        std::unordered_map<std::string, std::string> map;
        for (const TLanguageKey& k : kKeys)
            map.emplace(FoldKey(k.key), Utf8ToShiftJis(k.japanese));
        return map;
    }();
    static const std::string empty;
    auto it = texts.find(FoldKey(key));
    return it == texts.end() ? empty : it->second;
}

// ---------------------------------------------------------------------------------------
// TLanguage

TLanguage::TLanguage() : TLanguage(AppFolder()) {}

TLanguage::TLanguage(std::string appFolder) : appFolder_(std::move(appFolder)) {
    if (!appFolder_.empty() && appFolder_.back() != '/') appFolder_ += '/';
}

std::string TLanguage::LanguageFolder() const {
    return appFolder_ + "Language/";
}

std::vector<std::string> TLanguage::ListLanguages() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(LanguageFolder(), ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string name = it->path().filename().string();
        std::error_code typeError;
        if (EndsWithTxt(name) && it->is_regular_file(typeError)) names.push_back(name);
    }
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    return names;
}

std::string TLanguage::LanguageName(const std::string& fileName) {
    return fileName.size() >= 4 ? fileName.substr(0, fileName.size() - 4) : std::string();
}

std::string TLanguage::ChooseLanguage(const std::string& wanted) const {
    std::vector<std::string> files = ListLanguages();
    for (const std::string& file : files)
        if (LanguageName(file) == wanted) return wanted;
    return files.empty() ? std::string() : LanguageName(files.front());
}

void TLanguage::LoadLanguage(const std::string& fileName) {
    std::string path = FindFileIgnoringCase(LanguageFolder(), fileName);
    std::optional<std::string> bytes;
    try {
        bytes = ReadFileIfExists(path);
    } catch (const EIniFileError& e) {
        throw ELanguageError(std::string("the language file: ") + e.what());
    }
    if (!bytes) throw ELanguageError("the language file " + path + " does not exist");
    LoadFromBytes(*bytes);
}

void TLanguage::LoadFromBytes(std::string_view bytes) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    bool utf8 = false;
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        bytes.remove_prefix(kByteOrderMark.size());
        utf8 = true;
    } else {
        // Shift_JIS Japanese is practically never valid UTF-8: its lead bytes 0x81-0x9F are
        // UTF-8 continuation bytes.
        utf8 = IsValidUtf8(bytes);
    }

    std::unordered_map<std::string, std::string> texts; // folded key -> text
    auto addLine = [&](std::string_view line) {
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) return;
        // Converted line by line, so a line that is not UTF-8 in a file marked as UTF-8 loses
        // only its own text.
        std::string text =
            utf8 ? Utf8ToShiftJis(line.substr(eq + 1)) : std::string(line.substr(eq + 1));
        texts.emplace(FoldKey(line.substr(0, eq)), std::move(text)); // the first line of a key wins
    };
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') continue;
        addLine(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) addLine(bytes.substr(start));

    texts_ = std::move(texts);
}

std::string TLanguage::Lookup(std::string_view key) const {
    auto it = texts_.find(FoldKey(key));
    return it == texts_.end() ? std::string() : it->second;
}

std::string LangText(const TLanguage& language, std::string_view key,
                     std::string_view defaultText) {
    std::string text = language.Lookup(key);
    return text.empty() ? std::string(defaultText) : text;
}

std::string FormatText(std::string_view format, std::string_view value) {
    std::size_t p = format.find("%s");
    if (p == std::string_view::npos) return std::string(format);
    std::string out(format.substr(0, p));
    out.append(value);
    out.append(format.substr(p + 2));
    return out;
}

std::string LangText(const TLanguage& language, std::string_view key) {
    return LangText(language, key, BuiltInText(key));
}

std::string LocaleLanguage(const char* lcAll, const char* lcMessages, const char* lang) {
    std::string_view locale;
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value && *value) {
            locale = value;
            break;
        }
    }
    return locale.substr(0, 2) == "ja" ? "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E" : "English";
}

std::string LocaleLanguage() {
    return LocaleLanguage(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

} // namespace tarnel
