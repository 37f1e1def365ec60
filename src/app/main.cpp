// tarnel: the desktop program.
//
//   tarnel [--config FILE] [--screenshot FILE [--screenshot-design FILE]
//          [--screenshot-editor FILE]] [--timing] [--time-page FILE]... [PAGEFILE]
//
// --screenshot writes an image of the window once the first page has been drawn and quits
// (used by ./run without a display and for the pictures in docs/; --screenshot-design adds
// one of the design dialog, --screenshot-editor one of the internal editor holding the page);
// --time-page shows the pages named in turn and prints how long
// each took from the request to drawn, then quits; --timing prints on
// stderr how long the program took from its start to the first page drawn.
#include "UEditor.h"
#include "UMain.h"
#include "settings/AppFolder.h"
#include "settings/ULanguage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWebEnginePage>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

// Milliseconds since the process started, from the kernel's own start time.
double MillisecondsSinceStart() {
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    std::size_t close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream rest(text.substr(close + 2));
    std::string field;
    unsigned long long start = 0;
    for (int i = 3; i <= 22 && rest >> field; ++i)
        if (i == 22) start = std::stoull(field);
    std::ifstream uptimeFile("/proc/uptime");
    double uptime = 0;
    uptimeFile >> uptime;
    return (uptime - double(start) / double(sysconf(_SC_CLK_TCK))) * 1000.0;
}

} // namespace

int main(int argc, char** argv) {
    tarnel::RegisterLinkSchemes();
    // Wiki pages are text: the view draws them in software unless the user asks for another
    // scene graph. On our machines the first page came up a quarter to a third sooner and in
    // less memory than through OpenGL. QT_QUICK_BACKEND set to anything, even empty, leaves
    // the choice to Qt (an empty value: the graphics card).
    if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", QByteArrayLiteral("software"));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarnel"));
    QApplication::setApplicationVersion(QStringLiteral(TARNEL_VERSION));

    tarnel::TMainOptions options;
    options.AppFolder = tarnel::AppFolder();
    options.FirstStartLanguage = tarnel::LocaleLanguage();
    QString screenshot, designShot, editorShot;
    QStringList timedPages; // pages shown one after another, each timed to drawn
    bool timing = false;
    QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--config") && i + 1 < args.size())
            options.SettingsFile = args[++i].toStdString();
        else if (args[i] == QLatin1String("--screenshot") && i + 1 < args.size())
            screenshot = args[++i];
        else if (args[i] == QLatin1String("--screenshot-design") && i + 1 < args.size())
            designShot = args[++i];
        else if (args[i] == QLatin1String("--screenshot-editor") && i + 1 < args.size())
            editorShot = args[++i];
        else if (args[i] == QLatin1String("--time-page") && i + 1 < args.size())
            timedPages << args[++i];
        else if (args[i] == QLatin1String("--timing"))
            timing = true;
        else
            options.Arguments.push_back(args[i].toStdString());
    }

    std::unique_ptr<tarnel::TfrmMain> window;
    try {
        window = std::make_unique<tarnel::TfrmMain>(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tarnel: %s\n", e.what());
        return 1;
    }
    bool first = true;
    QObject::connect(window.get(), &tarnel::TfrmMain::pageShown, window.get(), [&] {
        if (!first) return;
        first = false;
        if (timing)
            std::fprintf(stderr, "first page drawn %.0f ms after start\n",
                         MillisecondsSinceStart());
        if (!timedPages.isEmpty()) {
            // Each page as a click shows it: from the request to the page drawn.
            auto clock = std::make_shared<QElapsedTimer>();
            auto next = std::make_shared<std::function<void()>>();
            *next = [&, clock, next] {
                if (timedPages.isEmpty()) {
                    window->close();
                    return;
                }
                QString page = timedPages.takeFirst();
                // The first screen: the new document has a body with something in it. The
                // page before it is marked, and the view is asked until the mark is gone.
                QWebEnginePage* view = window->View()->page();
                view->runJavaScript(QStringLiteral("window.tarnelOld = 1"));
                auto firstScreen = std::make_shared<QTimer>();
                auto asking = std::make_shared<bool>(false);
                QObject::connect(
                    firstScreen.get(), &QTimer::timeout, window.get(),
                    [view, clock, firstScreen, asking, page] {
                        if (*asking) return;
                        *asking = true;
                        view->runJavaScript(
                            QStringLiteral("window.tarnelOld ? 0 : document.body ? "
                                           "document.body.childElementCount : 0"),
                            [clock, firstScreen, asking, page](const QVariant& v) {
                                *asking = false;
                                if (v.toInt() <= 0 || !firstScreen->isActive()) return;
                                firstScreen->stop();
                                std::fprintf(stderr, "%s: first screen %lld ms after the request\n",
                                             page.toLocal8Bit().constData(),
                                             static_cast<long long>(clock->elapsed()));
                            });
                    });
                firstScreen->start(10);
                auto connection = std::make_shared<QMetaObject::Connection>();
                *connection = QObject::connect(
                    window.get(), &tarnel::TfrmMain::pageShown, window.get(),
                    [&, clock, next, connection, firstScreen, page] {
                        QObject::disconnect(*connection);
                        firstScreen->stop();
                        std::fprintf(stderr, "%s: drawn %lld ms after the request\n",
                                     page.toLocal8Bit().constData(),
                                     static_cast<long long>(clock->elapsed()));
                        QTimer::singleShot(0, window.get(), *next);
                    });
                clock->start();
                window->OpenDocument(page.toStdString());
            };
            QTimer::singleShot(0, window.get(), *next);
            return;
        }
        if (screenshot.isEmpty()) return;
        // One more frame so that the page is on the screen, not only loaded.
        // The design dialog's picture, then the end.
        auto design = [&] {
            if (designShot.isEmpty()) {
                window->close();
                return;
            }
            window->Actions()->actSelectDesign->trigger();
            QTimer::singleShot(300, window.get(), [&] {
                window->CssSelect()->grab().save(designShot);
                std::printf("%s\n", designShot.toLocal8Bit().constData());
                window->close();
            });
        };
        QTimer::singleShot(300, window.get(), [&, design] {
            window->grab().save(screenshot);
            std::printf("%s\n", screenshot.toLocal8Bit().constData());
            if (editorShot.isEmpty() || !window->Editor()) {
                design();
                return;
            }
            window->ShowEditor(window->Session().DocumentFileName());
            QTimer::singleShot(300, window.get(), [&, design] {
                window->Editor()->grab().save(editorShot);
                std::printf("%s\n", editorShot.toLocal8Bit().constData());
                design();
            });
        });
    });
    window->show();
    window->OpenFirstPage();
    if (!screenshot.isEmpty() && window->Session().DocumentFileName().empty()) {
        std::fprintf(stderr, "tarnel: no page to show for the screenshot\n");
        return 1;
    }
    return app.exec();
}
