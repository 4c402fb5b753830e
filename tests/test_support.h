#pragma once

#include <QString>
#include <QTemporaryDir>
#include <functional>

namespace orvix::test {

// Sets the headless defaults: offscreen platform without a display, no sandbox as root.
void applyHeadlessDefaults();

// Absolute path of a file under tests/fixtures/.
QString fixturePath(const QString &relative);

// Reads a fixture file as bytes widened one per character, the way page source arrives.
QString readFixtureLatin1(const QString &relative);

// Directory of the build tree (to find executables such as orvix-cli and photosite).
QString binaryDir();

// Runs the Qt event loop until pred() holds or timeoutMs passes; returns pred().
bool waitUntil(const std::function<bool()> &pred, int timeoutMs);

} // namespace orvix::test
