#pragma once

// One running copy of the engine in the test process: its settings folder, context, bridge
// and headless host, ready for its workers to start; waits shortened.

#include "app/headless_host.h"
#include "app/program_context.h"
#include "app/settings_controls.h"
#include "foundation/main_thread_call.h"
#include "photosite/manifest.h"

#include <QStringList>

#include <memory>

namespace orvix::test {

struct ProgramRun
{
    explicit ProgramRun(const QString &folder);
    ~ProgramRun();

    QString pictures() const;
    // Queues the picture's page as a page line (largest size, into the pictures folder).
    void queuePicture(const photosite::ManifestPicture &p);
    bool idle();
    QStringList saved() const;
    // Names of the session's item files in both queue folders.
    QStringList itemFiles() const;
    // The lines those files hold, sorted.
    QStringList itemLines() const;

    SettingsValueMap controls;
    ProgramContext context;
    TMainThreadBridge bridge;
    std::unique_ptr<THeadlessHost> host;
};

} // namespace orvix::test
