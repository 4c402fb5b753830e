#pragma once

// The desktop as Qt and the freedesktop services give it: the user's default handlers for
// files, folders and addresses, the file manager's "show this file" request over D-Bus, and the
// keyboard's modifier state. Safe from any thread.

#include "foundation/desktop.h"

namespace orvix {

class TQtDesktop : public IDesktop
{
public:
    int openTarget(const QString &target, const QString &parameters, const QString &folder) override;
    int openFolder(const QString &folder) override;
    bool locateFile(const QString &file) override;
    void forceForeground(QObject *window) override;
    bool isShiftDown() override;
    bool isControlDown() override;
};

} // namespace orvix
