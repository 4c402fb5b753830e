#pragma once

// Maps a visitor's request onto the site's pages and files. Independent of the HTTP server so
// the site's answers can be produced (and checked) without a network.

#include "html.h"
#include "picture_files.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <atomic>

namespace orvix::photosite {

struct SiteRequest
{
    QString method = QStringLiteral("GET");
    QString path;
    QString query; // after "?", undecoded
    QMap<QString, QString> cookies;
    QString referer;
    QMap<QString, QString> form; // decoded fields of a POST body
};

struct SiteResponse
{
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;
};

class SiteRoutes
{
public:
    SiteRoutes(const RenderContext &ctx, PictureFiles &files) : m_ctx(ctx), m_files(files) {}

    // afterScripts: listing pages as a browser holds them once their scripts ran.
    SiteResponse handle(const SiteRequest &request, bool afterScripts = false) const;

private:
    SiteResponse photos(const SiteRequest &request, const QString &path, bool afterScripts) const;
    SiteResponse picture(const SiteRequest &request, const Picture &picture, const QString &rest) const;
    SiteResponse file(const QString &path) const;
    SiteResponse search(const SiteRequest &request, bool afterScripts) const;
    SiteResponse signIn(bool in) const;
    SiteResponse listing(const Listing &listing, int pageNo, bool afterScripts) const;

    RenderContext m_ctx;
    PictureFiles &m_files;
    mutable std::atomic<int> m_sessions{0};
};

SiteResponse htmlResponse(const QString &html, int status = 200);
SiteResponse notFound();
QMap<QString, QString> parseCookies(const QString &header);
QMap<QString, QString> parseForm(const QString &encoded); // also "+" as space

} // namespace orvix::photosite
