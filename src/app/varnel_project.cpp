#include "varnel_project.h"

#include "settings_entries.h"
#include "settings_file.h"

#include "foundation/dialogs.h"
#include "foundation/errors.h"
#include "foundation/files.h"
#include "foundation/log.h"
#include "foundation/paths.h"
#include "foundation/text.h"
#include "foundation/text_files.h"
#include "foundation/text_list.h"
#include "foundation/time_stamps.h"

#include <QDir>
#include <QFileInfo>

namespace orvix {

namespace {

const QString kFormSection = QStringLiteral("Form Position and Size");
const QString kStartsSection = QStringLiteral("starts");
const QString kInstallDateSection = QStringLiteral("installation date");

QString header(const QString &name)
{
    return QLatin1Char('[') + name + QLatin1Char(']');
}

// The file's lines; empty when it is missing or could not be read.
QStringList readLines(const QString &file)
{
    QStringList lines;
    if (!LoadListRetry(lines, file))
        lines.clear();
    return lines;
}

// Rewrites one section of a file; a file that cannot be read is left alone rather than being
// replaced by that one section.
void updateSection(const QString &file, const QString &section, const QString &value)
{
    QStringList lines;
    if (!LoadListRetry(lines, file))
        return;
    SetSectionValue(lines, section, value);
    SaveListUtf8Retry(lines, file);
}

int startsCount(const QStringList &lines)
{
    return TextToIntDef(GetSectionValue(lines, kStartsSection), 0);
}

QDateTime installationDate(const QStringList &lines)
{
    const QDateTime stored = ParseTimeStamp(GetSectionValue(lines, kInstallDateSection));
    return stored.isValid() ? stored : QDateTime::currentDateTime();
}

} // namespace

QString ApplicationSettingsFileName()
{
    return QString::fromUtf16(kDataBaseName) + QStringLiteral(".ini");
}

QString SessionSettingsFileName()
{
    return QString::fromUtf16(kDataBaseName) + QStringLiteral(".Session.ini");
}

TVarnelProject::TVarnelProject(ISettingsControls &controls, const QString &settingsFolder)
    : m_controls(controls), m_settingsFolder(IncludeTrailingBackslash(settingsFolder))
{
    FsessionFn = settingsPath(SessionSettingsFileName());
    FixFileNameCase(FsessionFn);
}

QString TVarnelProject::settingsPath(const QString &name) const
{
    return QDir::isAbsolutePath(name) ? name : m_settingsFolder + name;
}

void TVarnelProject::setProjectExtension(const QString &extension)
{
    if (extension.isEmpty())
        FProjectExtension = QStringLiteral(".ini");
    else if (!extension.startsWith(QLatin1Char('.')))
        FProjectExtension = QLatin1Char('.') + extension;
    else
        FProjectExtension = extension;
}

void TVarnelProject::reportEntryError(const QString &message) const
{
    InfoBox(message);
}

void TVarnelProject::OpenProjectFile(QString name)
{
    if (QFileInfo(name).suffix().isEmpty())
        name += FProjectExtension;
    if (QDir::isRelativePath(name))
        name = settingsPath(name);
    m_projectFn = name;
    m_projectName = QFileInfo(name).completeBaseName();
    m_lastLoadedFileDt = FileTime(name);
    ApplyProjectFile(name);
}

void TVarnelProject::ApplyProjectFile(const QString &fileName)
{
    const QStringList lines = readLines(fileName);
    for (const QString &raw : FPropertiesList) {
        const auto entry = ParseSettingsEntry(raw);
        if (!entry)
            continue;
        const QString name = TextTrim(raw);
        try {
            RequireControl(m_controls, entry->control);
            // An absent key leaves the control at its design value; a present, empty one empties it.
            if (!HasSection(lines, name))
                continue;
            ApplyEntryValue(m_controls, *entry, Unescape(GetSectionValue(lines, name)));
        } catch (const ESettingsEntry &e) {
            reportEntryError(e.message());
        }
    }
}

QStringList TVarnelProject::BuildProjectText() const
{
    QStringList out;
    if (m_isSessionProject) {
        out.append(header(kFormSection));
        const QString bounds = GetSectionValue(readLines(FsessionFn), kFormSection);
        if (!bounds.isEmpty())
            out.append(bounds);
    }
    for (const QString &raw : FPropertiesList) {
        const auto entry = ParseSettingsEntry(raw);
        if (!entry)
            continue;
        try {
            const QString value = EntryValueText(m_controls, *entry);
            out.append(header(TextTrim(raw)));
            if (!value.isEmpty())
                out.append(SplitValueLines(value));
        } catch (const ESettingsEntry &e) {
            reportEntryError(e.message());
        }
    }
    if (FsingleProjectMode) {
        const QStringList stored = readLines(m_projectFn);
        const int starts = startsCount(stored);
        if (starts > 0) {
            out.append(header(kStartsSection));
            out.append(QString::number(starts));
        }
        out.append(header(kInstallDateSection));
        out.append(FormatTimeStamp(installationDate(stored)));
    }
    return out;
}

bool TVarnelProject::SaveProjectX()
{
    if (m_projectFn.isEmpty())
        return false;
    bool written = true;
    try {
        SaveListUtf8Retry(BuildProjectText(), m_projectFn);
    } catch (const std::exception &e) {
        // Given up after the retries: the file keeps what it had, which must not pass for saved.
        LogMessage(exceptionMessage(e));
        written = false;
    }
    if (written && FileSize(m_projectFn) == 0)
        written = false;
    if (!written) {
        ErrorBox(QStringLiteral("Saving to ") + m_projectFn + QStringLiteral(" FAILED"));
        return false;
    }
    m_modified = false;
    m_lastLoadedFileDt = FileTime(m_projectFn);
    return true;
}

void TVarnelProject::SetSingleProject()
{
    FautoSaveEnabled = false;
    FsingleProjectMode = true;
    const QString name = settingsPath(ApplicationSettingsFileName());
    FixFileNameCase(name);
    OpenProjectFile(name);
    IncrementStarts();
}

void TVarnelProject::IncrementStarts()
{
    if (m_projectFn.isEmpty() || !FileExists(m_projectFn))
        return;
    try {
        QStringList lines;
        if (!LoadListRetry(lines, m_projectFn))
            return;
        SetSectionValue(lines, kStartsSection, QString::number(startsCount(lines) + 1));
        SaveListUtf8Retry(lines, m_projectFn);
        m_lastLoadedFileDt = FileTime(m_projectFn);
    } catch (const std::exception &) {
        // Counting starts is not worth an error message.
    }
}

void TVarnelProject::SetSessionProject(const QString &oldFn)
{
    m_forceSaveChanges = true;
    m_isSessionProject = true;
    FautoSaveEnabled = true;
    if (!oldFn.isEmpty() && FileExists(oldFn)) {
        try {
            AppendToFile_5x(FsessionFn, QStringLiteral("\r\n") + ReadFromFile_s_5x(oldFn));
            DeleteFileIfExists(oldFn);
        } catch (const std::exception &e) {
            LogMessage(exceptionMessage(e));
        }
    }
    OpenProjectFile(FsessionFn);
}

bool TVarnelProject::ReloadProject()
{
    if (m_projectFn.isEmpty() || !FileExists(m_projectFn))
        return false;
    // Taken before reading, so a write that lands meanwhile is noticed next time.
    m_lastLoadedFileDt = FileTime(m_projectFn);
    ApplyProjectFile(m_projectFn);
    return true;
}

bool TVarnelProject::ProjectModifiedExternally() const
{
    if (m_projectFn.isEmpty() || !FileExists(m_projectFn))
        return false;
    return !FileTimesEqual(FileTime(m_projectFn), m_lastLoadedFileDt);
}

int TVarnelProject::GetStartsCount() const
{
    return startsCount(readLines(m_projectFn));
}

QDateTime TVarnelProject::GetInstallationDate() const
{
    return installationDate(readLines(m_projectFn));
}

void TVarnelProject::CloseQuery(const QRect &bounds, bool maximized, const QRect &workArea)
{
    if (m_active && FautoSaveEnabled)
        SaveProjectX();
    if (FsaveFormSize)
        FormSize_Save(bounds, maximized, workArea);
}

void TVarnelProject::FormSize_Save(const QRect &bounds, bool maximized, const QRect &workArea)
{
    const QString value = FormSizeValue(bounds, maximized, workArea);
    if (value.isEmpty())
        return;
    try {
        updateSection(FsessionFn, kFormSection, value);
    } catch (const std::exception &) {
        // The bounds are a convenience; the previous ones stay.
    }
}

FormPlacement TVarnelProject::FormSize_Load(const QRect &workArea) const
{
    return FormPlacementFor(GetSectionValue(readLines(FsessionFn), kFormSection), workArea);
}

} // namespace orvix
