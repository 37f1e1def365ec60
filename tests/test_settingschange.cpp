// The settings dialog's decisions: what opening shows, what OK takes over and what the
// running program must follow, the extension typed, the browse button's command line; and
// where a stored window place lands on the desktop.
#include "render/USettingsChange.h"
#include "render/UWindowPlace.h"
#include "text/jconvert.h"

#include <gtest/gtest.h>

#include <functional>

using namespace tarnel;

namespace {

const std::string kTop = Utf8ToShiftJis("トップ");

TEST(SettingsDialog, OpeningWithAnEmptyTopPageShowsAndStoresTheDefault) {
    TTarnelReg settings;
    settings.TopPage.clear();
    TSettingsForm form = SettingsFormOf(settings);
    EXPECT_EQ(form.TopPage, kTop);
    EXPECT_EQ(settings.TopPage, kTop); // through the getter

    // The user empties the field: OK stores the default again, never an empty top page.
    form.TopPage.clear();
    ApplySettingsForm(settings, form, {});
    EXPECT_EQ(settings.TopPage, kTop);
}

// Every field the dialog edits comes back through OK: a field forgotten on either side
// would silently drop the user's choice.
TEST(SettingsDialog, OkTakesOverEveryField) {
    TTarnelReg settings;
    TSettingsForm form = SettingsFormOf(settings);
    form.TopPage = "Start";
    form.Extension = ".wiki";
    form.AutoSave = !form.AutoSave;
    form.NewWindow = !form.NewWindow;
    form.NoWikiNameLink = !form.NoWikiNameLink;
    form.LooseWikiName = !form.LooseWikiName;
    form.TmpFileUse = !form.TmpFileUse;
    form.EditorType = TEditorType::Assigned;
    form.Assigned = "gedit \"%f\"";
    form.ReadCharCode = ReadCharCode::Automatic;
    form.TitleEncodingUTF8 = !form.TitleEncodingUTF8;
    form.NameEncodingUTF8 = !form.NameEncodingUTF8;
    form.PuttingIntoSystemTray = !form.PuttingIntoSystemTray;
    form.RestrictChangeWikiNotation = !form.RestrictChangeWikiNotation;
    form.RestrictCreateNewWiki = !form.RestrictCreateNewWiki;
    form.LineBreak = !form.LineBreak;
    form.DisplayHierarchy = !form.DisplayHierarchy;
    ApplySettingsForm(settings, form, {});
    EXPECT_TRUE(SettingsFormOf(settings) == form);
    // The settings the dialog has no control for stay as they were.
    EXPECT_EQ(settings.CssName, "default");
    EXPECT_EQ(settings.Notation, TWikiNotation::YukiWiki);
}

struct ChangeCase {
    const char* what;
    std::function<void(TSettingsForm&)> edit;
    TSettingsChange expected;
};

TSettingsChange Flags(bool extension, bool names, bool restrictions, bool list, bool links,
                      bool restart) {
    TSettingsChange c;
    c.ExtensionChanged = extension;
    c.NameEncodingChanged = names;
    c.RestrictionsChanged = restrictions;
    c.ListDisplayChanged = list;
    c.LinksChanged = links;
    c.RestartNeeded = restart;
    return c;
}

TEST(SettingsDialog, OkReportsWhatTheProgramMustFollow) {
    const ChangeCase cases[] = {
        {"nothing", [](TSettingsForm&) {}, Flags(0, 0, 0, 0, 0, 0)},
        {"extension", [](TSettingsForm& f) { f.Extension = ".wiki"; }, Flags(1, 0, 0, 0, 0, 0)},
        {"top page only", [](TSettingsForm& f) { f.TopPage = "Home"; }, Flags(0, 0, 0, 0, 0, 0)},
        {"UTF-8 names", [](TSettingsForm& f) { f.NameEncodingUTF8 = true; },
         Flags(0, 1, 0, 0, 0, 0)},
        {"fixed notation", [](TSettingsForm& f) { f.RestrictChangeWikiNotation = true; },
         Flags(0, 0, 1, 0, 0, 0)},
        {"no new wiki", [](TSettingsForm& f) { f.RestrictCreateNewWiki = true; },
         Flags(0, 0, 1, 0, 0, 0)},
        {"hierarchy", [](TSettingsForm& f) { f.DisplayHierarchy = true; }, Flags(0, 0, 0, 1, 0, 0)},
        {"no ? links", [](TSettingsForm& f) { f.NoWikiNameLink = true; }, Flags(0, 0, 0, 0, 1, 0)},
        {"loose WikiNames", [](TSettingsForm& f) { f.LooseWikiName = true; },
         Flags(0, 0, 0, 0, 1, 0)},
        {"line breaks", [](TSettingsForm& f) { f.LineBreak = true; }, Flags(0, 0, 0, 0, 1, 0)},
        {"UTF-8 titles", [](TSettingsForm& f) { f.TitleEncodingUTF8 = true; },
         Flags(0, 0, 0, 0, 1, 0)},
        {"assigned editor", [](TSettingsForm& f) { f.EditorType = TEditorType::Assigned; },
         Flags(0, 0, 0, 0, 0, 1)},
        {"standard editor", [](TSettingsForm& f) { f.EditorType = TEditorType::Standard; },
         Flags(0, 0, 0, 0, 0, 1)},
        {"tray", [](TSettingsForm& f) { f.PuttingIntoSystemTray = true; }, Flags(0, 0, 0, 0, 0, 1)},
        {"command line only", [](TSettingsForm& f) { f.Assigned = "vi %f"; },
         Flags(0, 0, 0, 0, 0, 0)},
    };
    for (const ChangeCase& c : cases) {
        TTarnelReg settings;
        TSettingsForm form = SettingsFormOf(settings);
        c.edit(form);
        TSettingsChange got = ApplySettingsForm(settings, form, {});
        EXPECT_EQ(got.ExtensionChanged, c.expected.ExtensionChanged) << c.what;
        EXPECT_EQ(got.NameEncodingChanged, c.expected.NameEncodingChanged) << c.what;
        EXPECT_EQ(got.RestrictionsChanged, c.expected.RestrictionsChanged) << c.what;
        EXPECT_EQ(got.ListDisplayChanged, c.expected.ListDisplayChanged) << c.what;
        EXPECT_EQ(got.LinksChanged, c.expected.LinksChanged) << c.what;
        EXPECT_EQ(got.RestartNeeded, c.expected.RestartNeeded) << c.what;
    }
}

// The editor type and the tray are stored at once but are compared with what the program
// started with: choosing the assigned editor and then the built-in one again before a
// restart needs no restart, while a second OK after choosing it still does.
TEST(SettingsDialog, RestartIsMeasuredAgainstWhatTheProgramStartedWith) {
    TTarnelReg settings;
    const TStartSettings started{TEditorType::Internal, false};
    TSettingsForm form = SettingsFormOf(settings);
    form.EditorType = TEditorType::Assigned;
    EXPECT_TRUE(ApplySettingsForm(settings, form, started).RestartNeeded);
    EXPECT_EQ(settings.EditorType, TEditorType::Assigned); // stored for the next start

    TSettingsForm again = SettingsFormOf(settings);
    EXPECT_TRUE(ApplySettingsForm(settings, again, started).RestartNeeded);

    again.EditorType = TEditorType::Internal;
    EXPECT_FALSE(ApplySettingsForm(settings, again, started).RestartNeeded);

    TTarnelReg trayOn;
    TSettingsForm tray = SettingsFormOf(trayOn);
    EXPECT_TRUE(ApplySettingsForm(trayOn, tray, {TEditorType::Internal, true}).RestartNeeded)
        << "the tray was on at start and is off in the settings";
}

TEST(SettingsDialog, TypedExtension) {
    struct Case {
        const char* typed;
        std::optional<std::string> expected;
    } cases[] = {
        {".txt", ".txt"},
        {".wiki", ".wiki"},
        {"wiki", ".wiki"},
        {"  .md\t", ".md"},
        {"", ""},
        {"   ", ""},
        {".tar.gz", ".tar.gz"},
        {"..txt", "..txt"},
        {".", std::nullopt},
        {"...", std::nullopt},
        {"../x", std::nullopt},
        {"a/b", std::nullopt},
        {".t\nxt", std::nullopt},
        {"\x01", std::nullopt},
        {".\x7F", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NormalisedExtension(c.typed), c.expected) << "typed: " << c.typed;
    // Japanese text in an extension is just bytes of a file name.
    EXPECT_EQ(NormalisedExtension("\xE3\x81\x82"), std::string(".\xE3\x81\x82"));
}

TEST(SettingsDialog, BrowsedProgramBecomesACommandLine) {
    struct Case {
        const char* path;
        const char* command;
    } cases[] = {
        {"/usr/bin/gedit", "/usr/bin/gedit"},
        {"/opt/My Editor/edit", "\"/opt/My Editor/edit\""},
        {"/opt/tab\there", "\"/opt/tab\there\""},
        {"/opt/a\"b", "\"/opt/a\"\"\"b\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AssignedEditorFromBrowse(c.path), c.command) << c.path;
}

TEST(WindowPlace, StoredPlaceComesBackOntoTheDesktop) {
    const TDesktopArea desktop{24, 10, 1280, 1000};
    struct Case {
        int top, left;
        int expectedTop, expectedLeft;
    } cases[] = {
        {48, 48, 48, 48},         // on the desktop
        {1000, 1280, 1000, 1280}, // at the edge: kept
        {1001, 48, 24, 48},       // below: to the desktop's top
        {48, 1281, 48, 10},       // right of it: to its left
        {5000, 9000, 24, 10},     // both
        {0, 0, 0, 0},             // above the desktop's top is not corrected
    };
    for (const Case& c : cases) {
        TWindowPlace place = PlaceOnDesktop(c.top, c.left, desktop);
        EXPECT_EQ(place.top, c.expectedTop) << c.top << "," << c.left;
        EXPECT_EQ(place.left, c.expectedLeft) << c.top << "," << c.left;
    }
}

} // namespace
