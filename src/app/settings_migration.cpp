#include "settings_migration.h"

#include "settings_folder.h"
#include "varnel_project.h"

#include "foundation/dialogs.h"
#include "foundation/errors.h"
#include "foundation/files.h"
#include "foundation/log.h"
#include "foundation/paths.h"
#include "foundation/process.h"
#include "foundation/command_line.h"
#include "foundation/text.h"
#include "foundation/text_files.h"
#include "foundation/text_list.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <unistd.h>

namespace orvix {

namespace {

const QString kOldSettings = QStringLiteral("orvix_downloader.ini");
const QString kOldSettings2 = QStringLiteral("orvix_downloader2.ini");
const QString kOldSession = QStringLiteral("orvix_downloader.Session.ini");

void copyWhenMissing(const QString &folder, const QString &from, const QString &to)
{
    if (FileExists(folder + from) && !FileExists(folder + to))
        CopyFileOver(folder + from, folder + to);
}

void moveFile(const QString &name, const SettingsTransfer &t)
{
    const QString from = IncludeTrailingBackslash(t.source) + name;
    const QString to = IncludeTrailingBackslash(t.destination) + name;
    if (FileExists(to)) {
        if (ConfirmOkCancel(nullptr,
                            QStringLiteral("Overwrite destination file ") + to
                                + QStringLiteral("? (already exists in ") + t.destination
                                + QStringLiteral(")"),
                            QString()))
            return;
        DeleteFileIfExists(to);
    }
    if (FileExists(to)) {
        InfoBox(QStringLiteral("Destination file ") + to + QStringLiteral(" already exists in ")
                + t.destination);
        return;
    }
    CopyFileOver(from, to);
    if (FileExists(to))
        DeleteFileIfExists(from);
    if (FileExists(from))
        InfoBox(QStringLiteral("Could not move file ") + from);
}

} // namespace

void RenameOlderSettingsFirstStep(const QString &folder)
{
    copyWhenMissing(folder, kOldSettings, ApplicationSettingsFileName());
    copyWhenMissing(folder, kOldSession, SessionSettingsFileName());
}

void MergeOlderPositionsFile(const QString &folder)
{
    const QString positionsFn = folder + QString::fromUtf16(kDataBaseName).toLower() + QStringLiteral(".positions.ini");
    if (!FileExists(positionsFn))
        return;
    const QString sessionFn = folder + SessionSettingsFileName();
    try {
        const QString positions = ReadFromFile_s_5x(positionsFn);
        QStringList session = FileExists(sessionFn) ? ReadFromFile_sl_5x(sessionFn) : QStringList();
        session.insert(0, QStringLiteral("[Form Position and Size]"));
        session.insert(1, positions);
        SaveListUtf8Retry(session, sessionFn);
        DeleteFileIfExists(positionsFn);
    } catch (const std::exception &e) {
        LogMessage(exceptionMessage(e));
    }
}

void RenameOlderSettingsSecondStep(const QString &folder)
{
    const QString first = folder + kOldSettings, second = folder + kOldSettings2;
    if (!FileExists(first) || !FileExists(second))
        return;
    try {
        const QString text1 = ReadFromFile_s_5x(first);
        if (TextContains(text1, u"[edOutputPath.Text]"))
            return;
        WriteToNewFile_5x(first, text1 + QStringLiteral("\r\n") + ReadFromFile_s_5x(second));
    } catch (const std::exception &e) {
        LogMessage(exceptionMessage(e));
    }
}

QString PrepareOlderSessionFile(const QString &folder)
{
    const QString oldFn = folder + kOldSettings2;
    if (!FileExists(oldFn) && FileExists(folder + kOldSettings))
        CopyFileOver(folder + kOldSettings, oldFn);
    return oldFn;
}

bool IsTransferCandidate(const QString &fileName)
{
    const QString n = fileName.toLower();
    if (TextContains(n, u"bugreport.txt"))
        return false;
    const bool dataKind = TextContains(n, u".ini") || TextContains(n, u".log")
        || TextContains(n, u".txt") || TextContains(n, u".db") || TextContains(n, u".positions");
    const bool ours = n.startsWith(QLatin1String("orvix")) || n.startsWith(QLatin1String("pd_"))
        || n.startsWith(QLatin1String("queue")) || n.startsWith(QLatin1String("pending_alerts"));
    return dataKind && ours;
}

TransferOutcome TransferSettings(const SettingsTransfer &t)
{
    QStringList names;
    const QStringList files = QDir(t.source).entryList(QDir::Files | QDir::Hidden, QDir::NoSort);
    for (const QString &name : files) {
        if (IsTransferCandidate(name))
            names.append(name);
    }
    names.sort();
    if (names.isEmpty())
        return TransferOutcome::Continue;

    if (!t.isAdmin) {
        if (!ConfirmOkCancel(nullptr,
                             QStringLiteral("The program requires administrator privileges.\r\n"
                                            "Click OK to restart the program as an administrator."),
                             QString())
            && t.restartElevated)
            t.restartElevated();
        return TransferOutcome::EndProcess;
    }

    ForceFolder(t.destination);
    InfoBox(QStringLiteral("The following files will be transferred from ") + t.source
            + QStringLiteral("\r\nto: ") + t.destination + QStringLiteral("\r\n")
            + names.join(QStringLiteral("\r\n")));
    for (const QString &name : names)
        moveFile(name, t);
    return TransferOutcome::Continue;
}

TransferOutcome TransferSettingsFromProgramFilesToLocalSettings()
{
    QDir::setCurrent(GetSettingsFolder());
    const SettingsFolderInputs in = CurrentSettingsFolderInputs();
    const QString exeFolder = IncludeTrailingBackslash(QFileInfo(in.exeFilePath).absolutePath());
    if (!PathUnderProgramFiles(exeFolder, in.programFiles) || TextContains(exeFolder, u"pstools"))
        return TransferOutcome::Continue;

    SettingsTransfer t;
    t.source = exeFolder;
    t.destination = IncludeTrailingBackslash(IncludeTrailingBackslash(in.localAppData)
                                             + QFileInfo(ExcludeTrailingBackslash(exeFolder)).fileName());
    t.isAdmin = geteuid() == 0 || HasSwitch(QStringLiteral("is_admin"));
    t.restartElevated = [exe = in.exeFilePath] {
        try {
            RunAsAdmin(exe, QCoreApplication::arguments().mid(1), QString(), false);
        } catch (const std::exception &e) {
            LogMessage(exceptionMessage(e));
        }
    };
    return TransferSettings(t);
}

} // namespace orvix
