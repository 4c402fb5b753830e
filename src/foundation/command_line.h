#pragma once

// Switches of the command line ("debug", "/debug", "url:...", "/url=..."). The arguments are
// the process's own (without the program) unless a host or a test sets others.

#include <QStringList>

namespace orvix {

void SetCommandLineArgs(const QStringList &args);
QStringList CommandLineArgs();

// 1-based position of the first argument equal to name, else of the first equal to it when
// both carry a leading "/"; -1 when none or name is empty. Case-sensitive.
int SwitchIndex(const QString &name);
bool HasSwitch(const QString &name);
// The text after "name=" (or "name:", when the ":" comes before any "="), leading "/" ignored
// on both sides; empty when no argument matches.
QString GetSwitchValue(const QString &name);

} // namespace orvix
