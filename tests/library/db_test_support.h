#pragma once

// A picture database in a fresh folder, with scripted dialogs and fast retries.

#include "library/picture_db.h"

#include "foundation/dialogs.h"
#include "foundation/retry_timing.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace orvix::test {

class PictureDbTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        m_savedTiming = GetRetryTiming();
        SetRetryTiming({1, 1});
        db = std::make_unique<PictureDatabase>(folder());
    }
    void TearDown() override { SetRetryTiming(m_savedTiming); }

    QString folder() const { return dir.path() + QLatin1Char('/'); }
    QString path(const QString &name) const { return folder() + name; }

    static TImageData picture(const QString &id, const QString &secret, const QString &pageUrl)
    {
        TImageData d;
        d.ImageId = id;
        d.ImageSecretID = secret;
        d.PageUrl = pageUrl;
        return d;
    }

    // Writes bytes to a file of the folder (creating sub-folders).
    void writeFile(const QString &name, const QByteArray &bytes) const;
    QByteArray readFile(const QString &name) const;
    // Moves the file's modification time an hour back, so a write now counts as a change.
    static void ageFile(const QString &path);
    // Creates an empty picture file and returns its full path.
    QString touch(const QString &name) const;

    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    ScopedDialogs dialogsGuard{dialogs};
    std::unique_ptr<PictureDatabase> db;

private:
    RetryTiming m_savedTiming;
};

} // namespace orvix::test
