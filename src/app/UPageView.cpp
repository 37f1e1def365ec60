#include "UPageView.h"

#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

namespace tarnel {

void RegisterLinkSchemes() {
    for (const char* name : {"wikilink", "newlink", "innerlink"}) {
        QWebEngineUrlScheme scheme(name);
        scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
        scheme.setFlags(QWebEngineUrlScheme::LocalScheme);
        QWebEngineUrlScheme::registerScheme(scheme);
    }
}

namespace {

// The link schemes need a handler in the profile, or Chromium treats their links as
// addresses of unknown programs and never asks the page. The window cancels every such
// navigation before it starts, so a request that reaches the handler is refused.
class TLinkSchemeHandler : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob* job) override {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
    }
};

void InstallLinkSchemeHandlers(QWebEngineProfile* profile) {
    for (const char* name : {"wikilink", "newlink", "innerlink"})
        if (!profile->urlSchemeHandler(name))
            profile->installUrlSchemeHandler(name, new TLinkSchemeHandler(profile));
}

} // namespace

TViewPage::TViewPage(QObject* parent) : QWebEnginePage(parent) {}

bool TViewPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    if (isMainFrame && ownLoad_) {
        // The window's own load: the data: address of a page handed over, or the page file.
        ownLoad_ = false;
        return true;
    }
    // Reloading from the view's own context menu would lose the page handed over as
    // content; the window shows pages again itself.
    if (type == NavigationTypeReload) return false;
    return decider_ ? decider_(url, isMainFrame) : true;
}

QWebEnginePage* TViewPage::createWindow(WebWindowType) {
    // A link that asks for another window: a page that lives for its first navigation only,
    // which it hands to the same decider as the view's own links.
    auto* catcher = new TViewPage(this);
    QPointer<TViewPage> self(this);
    catcher->SetDecider([self, catcher](const QUrl& url, bool) {
        if (self && self->decider_) self->decider_(url, true);
        catcher->deleteLater();
        return false;
    });
    return catcher;
}

TPageView::TPageView(QWidget* parent) : QWebEngineView(parent), page_(new TViewPage(this)) {
    setPage(page_);
    InstallLinkSchemeHandlers(page_->profile());
    page_->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    page_->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    firstPartGuard_ = new QTimer(this);
    firstPartGuard_->setSingleShot(true);
    firstPartGuard_->setInterval(3000);
    connect(firstPartGuard_, &QTimer::timeout, this, [this] { FirstPartDone(); });
    connect(page_, &QWebEnginePage::loadFinished, this, [this](bool ok) {
        if (firstPart_) {
            FirstPartDone();
            return;
        }
        if (!loading_) return;
        loading_ = false;
        if (restoreY_ > 0) {
            // Chromium keeps the position of a page loaded again only up to a size; the
            // position is put back explicitly, then the page counts as shown.
            page_->runJavaScript(
                QStringLiteral("window.scrollTo(0, %1); window.scrollY").arg(restoreY_),
                [this, ok](const QVariant&) { emit pageShown(ok); });
        } else {
            emit pageShown(ok);
        }
    });
}

void TPageView::Prepare(bool keepScroll) {
    restoreY_ = keepScroll ? ScrollY() : -1;
    loading_ = true;
    page_->ExpectOwnLoad();
}

bool TPageView::WaitForFirstPart(std::function<void()> show) {
    if (!firstPart_) return false;
    afterFirstPart_ = std::move(show);
    return true;
}

void TPageView::FirstPartDone() {
    firstPartGuard_->stop();
    firstPart_ = false;
    if (auto show = std::exchange(afterFirstPart_, {})) show();
}

void TPageView::ShowContent(const QByteArray& html, const QUrl& baseUrl, bool keepScroll) {
    if (WaitForFirstPart([=, this] { ShowContent(html, baseUrl, keepScroll); })) return;
    Prepare(keepScroll);
    page_->setContent(html, QStringLiteral("text/html"), baseUrl);
}

void TPageView::ShowUrl(const QUrl& url, bool keepScroll) {
    if (WaitForFirstPart([=, this] { ShowUrl(url, keepScroll); })) return;
    Prepare(keepScroll);
    page_->load(url);
}

void TPageView::ShowFirstPart(const QByteArray& html, const QUrl& baseUrl) {
    if (WaitForFirstPart([=, this] { ShowFirstPart(html, baseUrl); })) return;
    // A page of the window's still loading is left for this one: its pageShown never comes.
    loading_ = false;
    restoreY_ = -1;
    firstPart_ = true;
    firstPartGuard_->start();
    page_->ExpectOwnLoad();
    page_->setContent(html, QStringLiteral("text/html"), baseUrl);
}

void TPageView::Clear() {
    if (WaitForFirstPart([this] { Clear(); })) return;
    restoreY_ = -1;
    loading_ = true;
    page_->ExpectOwnLoad();
    page_->setHtml(QString());
}

void TPageView::JumpToAnchor(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    quoted.replace(QLatin1Char('"'), QLatin1String("\\\""));
    quoted.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    page_->runJavaScript(QStringLiteral("(function(n){var e=document.getElementsByName(n)[0]||"
                                        "document.getElementById(n);if(!e)return false;"
                                        "e.scrollIntoView(true);window.scrollTo(0,window.scrollY);"
                                        "return true;})(\"%1\")")
                             .arg(quoted));
}

qreal TPageView::ScrollY() const {
    return page_->scrollPosition().y();
}

} // namespace tarnel
