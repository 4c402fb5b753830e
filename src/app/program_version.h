#pragma once

#include <QString>

namespace orvix {

// "X.Y.Z build:N", from the build (the project's version and ORVIX_BUILD_NUMBER).
QString ProgramVersionText();

// The number after "build:", trimmed; 0 when it is no integer or "build:" is missing.
int BuildNumberOf(const QString &versionText);

} // namespace orvix
