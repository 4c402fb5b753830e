#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace orvix::test {

// Settings in a fresh folder, an empty message log, short retry pauses and cleared control
// flags for each test; everything is put back afterwards.
class EngineFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Messages written to the message log since the last call, oldest first.
    QStringList takeMessages();
    // Text of "orvix.log" in the settings folder, empty when there is none.
    QString orvixLog() const;

    QTemporaryDir m_settings;

private:
    QString m_previousSettings;
};

} // namespace orvix::test
