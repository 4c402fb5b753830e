#pragma once

#include "photosite/photo_site_server.h"
#include "ui/web_browser_k.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <memory>

namespace orvix::test {

// What the browser raised, in order: "BeforeNavigate2 <url>", "NavigateComplete2 <url>",
// "DocumentComplete <url>", "OnNewHTML <lastUrl>".
struct BrowserEvents
{
    QStringList log;
    int newHtml = 0;
    QStringList reportedHtml; // the serialisation at each OnNewHTML
    QStringList reportedSource; // the page source at each OnNewHTML

    int count(const QString &prefix) const;
    int indexOf(const QString &prefix, int from = 0) const;
};

// A small simulated site and a temporary settings folder (the browser's profile lives there).
class BrowserTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A browser with a short check period, its events recorded in events.
    TWebBrowserK &makeBrowser(int checkIntervalMs = 200);
    // Navigates and waits until the page was reported complete and the browser fell quiet.
    void load(const QString &url);

    const photosite::ManifestListingPage &listingPage(const QString &layout, int pageNo = 1);
    QByteArray fetchRaw(const QString &url) const; // the bytes the site sends, by a plain request

    QTemporaryDir settings;
    std::unique_ptr<photosite::PhotoSiteServer> site;
    std::unique_ptr<TWebBrowserK> browser;
    BrowserEvents events;

private:
    int m_checkIntervalMs = 200;
};

} // namespace orvix::test
