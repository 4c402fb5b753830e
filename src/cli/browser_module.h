#pragma once

// The entry points of orvix-cli's browser module. The module holds the browser engine glue and
// the engine's libraries; orvix-cli opens it only in the process that reads listings, so the
// headless start never loads the engine. The module uses orvix-cli's own copy of the core
// (the executable exports its symbols), so both share one cookie jar and one settings folder.

#include <QtGlobal>

QT_BEGIN_NAMESPACE
class QCoreApplication;
class QObject;
QT_END_NAMESPACE

namespace orvix {
class IPageLoader;
}

// File name of the module, looked for beside orvix-cli, then in ../lib/orvix/ from it.
#define ORVIX_CLI_BROWSER_MODULE "liborvix-cli-browser.so"

extern "C" {
// Platform and engine settings; before the application object exists.
typedef void (*OrvixPrepareBrowserProcess)();
// The GUI application object the engine needs.
typedef QCoreApplication *(*OrvixMakeBrowserApplication)(int &argc, char **argv);
// A hidden page loader on the program's browser profile; main thread.
typedef orvix::IPageLoader *(*OrvixMakePageLoader)(QObject *parent);
}
