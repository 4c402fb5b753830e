#pragma once

#include "http_probe.h"
#include "photosite/photo_site_server.h"

#include <gtest/gtest.h>
#include <memory>

namespace orvix::test {

// A small site (two people, three-page sample set, 48 KB largest files) started per test.
inline photosite::ServerOptions smallSiteOptions()
{
    photosite::ServerOptions o;
    o.site.owners = 2;
    o.site.photosPerOwner = 12;
    o.site.perPage = 5;
    o.site.largestFileBytes = 48 * 1024;
    return o;
}

class SmallSite : public ::testing::Test
{
protected:
    void SetUp() override
    {
        site = std::make_unique<photosite::PhotoSiteServer>(smallSiteOptions());
        site->start();
    }

    HttpReply get(const QString &url, const QList<QPair<QByteArray, QByteArray>> &headers = {}) const
    {
        return httpGet(site->port(), url.startsWith(QLatin1Char('/')) ? url.toUtf8() : targetOf(url), headers);
    }

    std::unique_ptr<photosite::PhotoSiteServer> site;
};

} // namespace orvix::test
