#pragma once

#include "foundation/run_control.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace orvix::test {

// Settings in a fresh folder with a run of its own (its control flags all clear), an empty
// message log and short retry pauses for each test; everything is put back afterwards.
class EngineFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Messages written to the message log since the last call, oldest first.
    QStringList takeMessages();
    // Text of "orvix.log" in the settings folder, empty when there is none.
    QString orvixLog() const;

    // The test's run, on the settings folder.
    RunControl &runControl() { return *m_run; }

    QTemporaryDir m_settings;

private:
    QString m_previousSettings;
    std::unique_ptr<RunControl> m_run;
};

} // namespace orvix::test
