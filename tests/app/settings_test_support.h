#pragma once

// Settings stores over a fresh settings folder, with the program's two key tables bound to a
// SettingsValueMap, scripted dialogs and fast retries.

#include "app/settings_controls.h"
#include "app/varnel_project.h"

#include "foundation/dialogs.h"
#include "foundation/retry_timing.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace orvix::test {

class SettingsTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    QString path(const QString &name) const { return folder + name; }
    void writeFile(const QString &name, const QByteArray &bytes) const;
    QByteArray readFile(const QString &name) const;
    // The file's lines without the mark.
    QStringList fileLines(const QString &name) const;

    QTemporaryDir dir;
    QString folder;
    ScriptedDialogs dialogs;

private:
    RetryTiming m_savedTiming;
    IDialogs *m_savedDialogs = nullptr;
};

} // namespace orvix::test
