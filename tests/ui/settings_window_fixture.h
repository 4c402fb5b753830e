#pragma once

// Main windows started as the program starts them, on one settings folder of their own, with
// scripted boxes, a private home folder and nothing listening at the photo site's address (pages
// fail at once and nothing leaves the machine).

#include "ui/main_window.h"

#include "foundation/dialogs.h"
#include "foundation/retry_timing.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace orvix::test {

class SettingsWindows : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A new instance of the program on the settings folder, shown; its boxes are answered by
    // dialogs.
    TFormMain &start();
    // Closes the window as the user does (the session is written) and lets it go.
    void quit(TFormMain &window);

    QString settingsFile() const { return folder + QStringLiteral("OrvixDownloader.ini"); }
    QStringList settingsLines() const;
    // The section's value as the settings store reads it; "<absent>" when missing.
    QString stored(const QString &entry) const;
    // Writes the application settings file as another release or instance left it.
    void writeSettings(const QStringList &lines) const;
    // The file written "later" than any instance last read it: its time moved ahead.
    void touchLater() const;
    static QString page(const char *path);

    QTemporaryDir dir;
    QTemporaryDir home;
    QTemporaryDir runtime; // the mutexes of this test's instances, apart from any other
    QString folder;
    ScriptedDialogs dialogs;
    std::vector<std::unique_ptr<TFormMain>> windows;

private:
    QByteArray m_home;
    QByteArray m_runtime;
    RetryTiming m_timing;
};

} // namespace orvix::test
