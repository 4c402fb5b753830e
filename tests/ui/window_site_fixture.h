#pragma once

// The main window against the simulated photo site: a settings folder of its own, the site
// running on a free port, and the window opened as the program starts it.

#include "test_support.h"

#include "photosite/photo_site_server.h"
#include "ui/main_window.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace orvix::test {

class WindowOnSite : public ::testing::Test
{
protected:
    static constexpr int kPageWaitMs = 60000;

    void SetUp() override;
    void TearDown() override;

    // The window as the program starts it, opening url at its first display.
    TFormMain &open(const QString &url);
    bool waitParsed(TFormMain &w, const QString &url);

    QTemporaryDir m_settings;
    photosite::PhotoSiteServer m_site;
    std::unique_ptr<TFormMain> m_window;
};

} // namespace orvix::test
