// orvix-cli's browser module: see cli/browser_module.h.
#include "cli/browser_module.h"

#include "browser/browser_profile.h"
#include "browser/hidden_page_loader.h"

#include <QGuiApplication>
#include <QLoggingCategory>

extern "C" {

Q_DECL_EXPORT void orvixPrepareBrowserProcess()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The engine's start-up report is for its developers, not for a terminal (QT_LOGGING_RULES
    // still brings it back).
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    orvix::PrepareBrowserEngine();
}

Q_DECL_EXPORT QCoreApplication *orvixMakeBrowserApplication(int &argc, char **argv)
{
    return new QGuiApplication(argc, argv);
}

Q_DECL_EXPORT orvix::IPageLoader *orvixMakePageLoader(QObject *parent)
{
    return new orvix::THiddenPageLoader(nullptr, parent);
}

} // extern "C"
