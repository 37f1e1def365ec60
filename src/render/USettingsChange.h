// What the settings dialog changes, decided without a window.
//
// The dialog edits a copy of the application settings (TSettingsForm); OK hands the copy
// back through ApplySettingsForm, which takes every value over in the order the program
// applies them and reports what the running program has to follow: the restrictions of the
// notation box and the new-wiki command at once, the page list read again when the
// extension or the name encoding changed, and a note that the editor type or the
// notification-area choice act only after a restart. Cancel never calls it, so nothing
// changes.
#pragma once

#include "settings/UTarnelReg.h"

#include <optional>
#include <string>
#include <string_view>

namespace tarnel {

// The values the dialog shows and edits, one per control.
struct TSettingsForm {
    // [File] tab
    std::string TopPage;   // display form; never empty when read from the settings
    std::string Extension; // as typed; checked by NormalisedExtension on OK
    bool AutoSave = false; // hidden control, kept as it was
    // [Link] tab
    bool NewWindow = false;
    bool NoWikiNameLink = false;
    bool LooseWikiName = false;
    // [View] tab: false "about:blank", true a temporary file
    bool TmpFileUse = false;
    // [Editor] tab
    TEditorType EditorType = TEditorType::Internal;
    std::string Assigned;
    // [Encoding] tab
    tarnel::ReadCharCode ReadCharCode = tarnel::ReadCharCode::EucJp;
    bool TitleEncodingUTF8 = false;
    bool NameEncodingUTF8 = false;
    // [Tray], [Restriction], [Notation], [List] tabs
    bool PuttingIntoSystemTray = false;
    bool RestrictChangeWikiNotation = false;
    bool RestrictCreateNewWiki = false;
    bool LineBreak = false;
    bool DisplayHierarchy = false;

    bool operator==(const TSettingsForm&) const = default;
};

// The dialog's fields when it opens: a copy of the settings, the top page through the
// top-page getter (an empty top page shows, and is from now on, "トップ").
TSettingsForm SettingsFormOf(TTarnelReg& settings);

// The extension typed in the dialog as the page list uses it: blanks around it dropped and
// a leading "." added when it has none ("wiki" and ".wiki" are the same choice); an empty
// text stays empty (page files without extension). Nothing when the text cannot be an
// extension of a file name in the wiki folder: a "/" (it would name a sub-folder), a
// control character, or nothing but dots.
std::optional<std::string> NormalisedExtension(std::string_view typed);

// The two settings that the program reads only once, at start.
struct TStartSettings {
    TEditorType EditorType = TEditorType::Internal;
    bool PuttingIntoSystemTray = false;
};

// What OK changed that the running program has to follow.
struct TSettingsChange {
    bool ExtensionChanged = false;    // the page list holds other files now: read it again
    bool NameEncodingChanged = false; // page names decode differently: read the lists again
    bool RestrictionsChanged = false; // enable or disable the notation box and new-wiki
    bool ListDisplayChanged = false;  // the page list shows names another way
    bool LinksChanged = false;        // the page converts differently: show it again
    // The editor type or the notification area now differs from what the program started
    // with: they act after the next start (the dialog's notes say so).
    bool RestartNeeded = false;
};

// OK of the dialog: takes the form over into `settings` in the program's order (file
// settings; links; loose WikiNames; view method, editor, encodings, tray, restrictions;
// line breaks and the list display) and says what changed. `form.Extension` must have
// passed NormalisedExtension. `started` holds what the program started with.
TSettingsChange ApplySettingsForm(TTarnelReg& settings, const TSettingsForm& form,
                                  const TStartSettings& started);

// The command line the browse button puts into the assigned-editor edit for the program
// `path` chosen: the path alone, quoted when it holds a blank or a quote, so that the
// command splits into the program and its arguments as the user then adds them ("%f").
std::string AssignedEditorFromBrowse(std::string_view path);

} // namespace tarnel
