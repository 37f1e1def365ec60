// Timings of the internal editor, printed (not asserted): the time from Ctrl+S to the page
// shown again, the time to load a big page into the editor up to its first paint, and the time
// of one keystroke at the end of it, for Tarnel's control and for a bare QScintilla.
//
//   xvfb-run -a tests/tarnel_editor_timing
#include "UEditor.h"
#include "UMain.h"
#include "text/jconvert.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <Qsci/qsciscintilla.h>
#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace tarnel;

namespace {

// About `bytes` of page text (UTF-8, CR LF): wiki lines, a third of them Japanese.
std::string PageText(std::size_t bytes) {
    const std::string lines[] = {
        "*Heading with a WikiName and http://example.com/address\r\n",
        "日本語の本文が続きます。全角の文字と ASCII words が混ざっています。\r\n",
        "-a list item with [[a link]] and mail@example.com in it\r\n",
    };
    std::string text;
    for (std::size_t i = 0; text.size() < bytes; ++i)
        text += lines[i % 3];
    return text;
}

double Ms(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

// Loading the text and drawing it once; then one key typed at the end and drawn.
void TimeControl(const char* label, QsciScintilla* control, const std::string& text) {
    control->resize(800, 600);
    control->show();
    if (!QTest::qWaitForWindowExposed(control)) std::fprintf(stderr, "window not exposed\n");
    QElapsedTimer t;
    t.start();
    if (auto* own = qobject_cast<TEditorControl*>(control)) {
        own->SetPageText(text);
    } else {
        control->SendScintilla(QsciScintilla::SCI_CLEARALL);
        control->SendScintilla(QsciScintilla::SCI_ADDTEXT, text.size(), text.data());
    }
    control->viewport()->repaint();
    double load = Ms(t);
    control->SendScintilla(QsciScintilla::SCI_DOCUMENTEND);
    control->viewport()->repaint();
    QCoreApplication::processEvents();
    double worst = 0, total = 0;
    const int keys = 40;
    for (int i = 0; i < keys; ++i) {
        t.restart();
        QTest::keyClick(control, Qt::Key_A);
        QCoreApplication::processEvents();
        control->viewport()->repaint();
        double ms = Ms(t);
        worst = std::max(worst, ms);
        total += ms;
    }
    std::printf("%-34s %6.1f MB  load+paint %7.1f ms  keystroke at the end %6.2f ms (worst %.2f)\n",
                label, double(text.size()) / 1e6, load, total / keys, worst);
    control->hide();
}

} // namespace

int main(int argc, char** argv) {
    RegisterLinkSchemes();
    QApplication app(argc, argv);
    // "--keys": only the keystroke timings of a 10 MB page without wrap (for a profiler).
    const bool keysOnly = argc > 1 && std::string(argv[1]) == "--keys";
    if (argc > 1 && std::string(argv[1]) == "--wrap") {
        std::string text = PageText(10000000);
        QsciScintilla bare;
        bare.setUtf8(true);
        bare.resize(800, 600);
        bare.show();
        if (!QTest::qWaitForWindowExposed(&bare)) return 1;
        QElapsedTimer t;
        t.start();
        bare.SendScintilla(QsciScintilla::SCI_ADDTEXT, text.size(), text.data());
        std::printf("add %.1f ms\n", Ms(t));
        t.restart();
        bare.setWrapMode(QsciScintilla::WrapWord);
        std::printf("wrap on %.1f ms\n", Ms(t));
        t.restart();
        bare.viewport()->repaint();
        std::printf("paint %.1f ms\n", Ms(t));
        t.restart();
        QCoreApplication::processEvents();
        std::printf("events %.1f ms\n", Ms(t));
        t.restart();
        bare.SendScintilla(QsciScintilla::SCI_DOCUMENTEND);
        std::printf("to the end %.1f ms\n", Ms(t));
        t.restart();
        bare.viewport()->repaint();
        std::printf("paint %.1f ms\n", Ms(t));
        return 0;
    }
    if (keysOnly) {
        std::string text = PageText(10000000);
        TEditorControl own;
        TimeControl("Tarnel's control, no wrap", &own, text);
        return 0;
    }

    for (std::size_t size : {std::size_t(1000000), std::size_t(10000000)}) {
        std::string text = PageText(size);
        for (int wrap : {0, 1}) {
            QsciScintilla bare;
            bare.setUtf8(true);
            bare.setMarginLineNumbers(0, true);
            bare.setMarginWidth(0, QStringLiteral("999999"));
            bare.setWrapMode(wrap ? QsciScintilla::WrapWord : QsciScintilla::WrapNone);
            TimeControl(wrap ? "bare QScintilla, wrap" : "bare QScintilla, no wrap", &bare, text);
            TEditorControl own;
            own.SetWordWrapMode(wrap);
            TimeControl(wrap ? "Tarnel's control, wrap at the edge" : "Tarnel's control, no wrap",
                        &own, text);
        }
    }

    // Ctrl+S to the page shown again, in the running program.
    QTemporaryDir dir;
    std::string wiki = dir.filePath("wiki").toStdString() + "/";
    std::filesystem::create_directories(wiki);
    std::string config = dir.filePath("Tarnel.ini").toStdString();
    for (std::size_t size : {std::size_t(10000), std::size_t(1000000)}) {
        std::string page = wiki + EncodePageName("Timed", false) + ".txt";
        std::string stored = PageText(size);
        std::string lf;
        for (char c : stored)
            if (c != '\r') lf += c;
        std::ofstream(page, std::ios::binary) << ShiftJisToEucJp(Utf8ToShiftJis(lf));
        std::ofstream(config) << "[File]\nLastView=" << page << "\n";
        TMainOptions options;
        options.AppFolder = TARNEL_APP_DIR;
        options.SettingsFile = config;
        TfrmMain window(options);
        window.resize(1000, 700);
        window.show();
        {
            QSignalSpy shown(&window, &TfrmMain::pageShown);
            window.OpenFirstPage();
            shown.wait(60000);
        }
        window.Editor()->ShowWindow();
        if (!QTest::qWaitForWindowActive(window.Editor()))
            std::fprintf(stderr, "editor not active\n");
        double best = 1e9;
        for (int i = 0; i < 3; ++i) {
            window.Editor()->Control()->SendScintilla(QsciScintilla::SCI_DOCUMENTEND);
            QTest::keyClick(window.Editor()->Control(), Qt::Key_A);
            QSignalSpy shown(&window, &TfrmMain::pageShown);
            QElapsedTimer t;
            t.start();
            QTest::keyClick(window.Editor()->Control(), Qt::Key_S, Qt::ControlModifier);
            if (shown.count() == 0) shown.wait(60000);
            best = std::min(best, Ms(t));
        }
        std::printf("Ctrl+S to the page shown again     %6.2f MB  %7.1f ms (best of 3)\n",
                    double(size) / 1e6, best);
        // Its parts: the save alone, and showing the page again alone.
        {
            struct Yes : IEditedPageUi {
                TAnswer ConfirmDeleteEmptied(const std::string&) override { return TAnswer::Yes; }
                TOutsideChoice AskOutsideChange(TOutsideChange, const std::string&) override {
                    return TOutsideChoice::Overwrite;
                }
                bool ConfirmUnencodable(const std::vector<TUnencodableChar>&,
                                        const std::string&) override {
                    return true;
                }
            } ui;
            TEditedPage edited(window.Session().Language(), false);
            std::string text = edited.Load(page, window.Session().ReadOptions()) + "b";
            QElapsedTimer t;
            t.start();
            edited.Save(text, ui);
            double save = Ms(t);
            QSignalSpy shown(&window, &TfrmMain::pageShown);
            t.restart();
            window.ReshowDocument();
            double convert = Ms(t);
            if (shown.count() == 0) shown.wait(60000);
            std::printf("   of which the save %.1f ms, converting and filling %.1f ms, the view "
                        "drawing %.1f ms\n",
                        save, convert, Ms(t) - convert);
        }
        window.Editor()->Control()->setModified(false);
        window.close();
    }
    return 0;
}
