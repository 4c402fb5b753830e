// Saves the application settings over and over, each generation with a large memo (10 MB),
// until it is killed. Prints "saved N" after each save. Usage: orvix_settings_save_helper FOLDER

#include "app/program_settings.h"
#include "app/varnel_project.h"

#include "foundation/paths.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    using namespace orvix;
    QCoreApplication app(argc, argv);
    if (app.arguments().size() < 2)
        return 2;
    SetSettingsFolder(app.arguments().at(1));
    SettingsValueMap controls;
    AddProgramSettingsControls(controls);
    TVarnelProject store(controls);
    store.setPropertiesList(ApplicationSettingsEntries());
    store.SetSingleProject();
    for (int generation = 1;; ++generation) {
        const QString g = QString::number(generation);
        controls.setText(QStringLiteral("edStartPage"), QStringLiteral("gen ") + g);
        // Few long lines: most of a save's time goes into writing the file.
        const QStringList lines(200, QStringLiteral("line ") + g + QString(50000, QLatin1Char('x')));
        controls.setLines(QStringLiteral("edMinimizedWebPanelUrls"), lines);
        controls.setText(QStringLiteral("edOutputPath"), QStringLiteral("end ") + g);
        store.SaveProjectX();
        std::printf("saved %d\n", generation);
        std::fflush(stdout);
    }
}
