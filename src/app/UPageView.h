// The browser view of the main window and the page inside it that decides navigation.
//
// Every navigation the view is about to make reaches TViewPage::acceptNavigationRequest
// first. Loads the window starts itself (a page shown) pass; everything else goes to the
// window's decider (which asks the engine's DecideNavigation) before the view moves. A link
// that asks for a new window goes through the same decider.
//
// Pages reach the view in one of two ways. Up to about 1 MB the HTML is handed over as
// content with the wiki folder as base address (the view turns it into a data: address,
// which Chromium limits to 2 MiB after encoding); bigger pages, and every page with the
// temporary-file setting, are written to a file and the view is pointed at it. While a very
// big page is converted, its beginning is shown first (ShowFirstPart).
#pragma once

#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <functional>

namespace tarnel {

// Registers the link schemes of the converters ("wikilink:", "newlink:", "innerlink:") with
// the browser engine, so that the view reports their links instead of failing on them. Must
// run before the QApplication is made.
void RegisterLinkSchemes();

class TViewPage : public QWebEnginePage {
    Q_OBJECT
public:
    // Returns whether the view may go on to `url`.
    using Decider = std::function<bool(const QUrl& url, bool isMainFrame)>;

    explicit TViewPage(QObject* parent = nullptr);
    void SetDecider(Decider decider) { decider_ = std::move(decider); }
    // The next main-frame load is the window's own.
    void ExpectOwnLoad() { ownLoad_ = true; }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;

private:
    Decider decider_;
    bool ownLoad_ = false;
};

class TPageView : public QWebEngineView {
    Q_OBJECT
public:
    explicit TPageView(QWidget* parent = nullptr);
    TViewPage* ViewPage() const { return page_; }

    // Shows HTML (its bytes in the charset its meta tag names) with `baseUrl` as its address.
    // `keepScroll`: the same page again, so the vertical position stays.
    void ShowContent(const QByteArray& html, const QUrl& baseUrl, bool keepScroll);
    // Shows a page file written elsewhere (the temporary-file method, or a big page).
    void ShowUrl(const QUrl& url, bool keepScroll);
    // Shows the beginning of a page still being converted, at the top. It is no page of
    // the window's (pageShown does not follow it); a page shown while it is still loading
    // waits until it is drawn, so that its load is never taken for the page's.
    void ShowFirstPart(const QByteArray& html, const QUrl& baseUrl);
    // An empty view.
    void Clear();
    // Scrolls the current page to the anchor `name` (by name, else by id), left edge at 0.
    void JumpToAnchor(const QString& name);
    // The vertical scroll position of the page shown.
    qreal ScrollY() const;
    // Whether a page of the window is being loaded.
    bool Loading() const { return loading_; }

signals:
    // A page of the window's own finished loading (and its scroll position is restored).
    void pageShown(bool ok);

private:
    void Prepare(bool keepScroll);
    // While a first part loads, `show` waits for it; returns whether it had to.
    bool WaitForFirstPart(std::function<void()> show);
    void FirstPartDone();

    TViewPage* page_;
    bool loading_ = false;
    qreal restoreY_ = -1;
    bool firstPart_ = false;               // a first part is loading
    std::function<void()> afterFirstPart_; // the show waiting for it
    QTimer* firstPartGuard_;               // in case its load never reports back
};

} // namespace tarnel
