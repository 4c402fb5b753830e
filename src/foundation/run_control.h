#pragma once

// The state of one running copy of the program that its threads share: the queue control
// flags, the private-picture handshake, the debug switch and the settings folder the run keeps
// its files in. The program context owns it and hands it to the queues, the workers and the
// hosts; two contexts in one process each have their own, so nothing here is process-wide.
//
// One thread sets a flag and the others poll it (the workers about once a second), so plain
// atomics are all the synchronisation needed.

#include "thread_registry.h"

#include <QString>

#include <atomic>

namespace orvix {

class RunControl
{
public:
    // folder: the settings folder, with or without its trailing "/".
    explicit RunControl(const QString &folder);
    RunControl(const RunControl &) = delete;
    RunControl &operator=(const RunControl &) = delete;

    std::atomic<bool> CancelMediaQueue{false}; // the media worker empties its queue, then clears it
    std::atomic<bool> CancelPageQueue{false};  // the page worker empties its queue, then clears it
    std::atomic<bool> QueuePaused{false};      // both workers idle while it is set
    std::atomic<bool> AppClosing{false};       // every worker leaves its loop

    // The private-picture panel is on screen; the user asked to skip the picture it shows. The
    // page worker clears the second before it asks for the panel.
    std::atomic<bool> PrivatePanelShown{false};
    std::atomic<bool> SkipPrivatePicture{false};

    // The "debug" switch and the debug page's check box: traces in the program log, "done" rows
    // kept in the queue view.
    std::atomic<bool> debugMode{false};

    // The run's registered threads (the workers among them) and where an exception that ends
    // one of them is reported.
    ThreadRegistry Threads;

    // Either queue is being canceled: nothing new may be queued meanwhile.
    bool Canceling() const { return CancelMediaQueue || CancelPageQueue; }

    // The settings folder (ends with "/") and a file in it.
    const QString &settingsFolder() const { return m_settingsFolder; }
    QString SettingsFile(const QString &name) const { return m_settingsFolder + name; }

private:
    const QString m_settingsFolder;
};

} // namespace orvix
