#pragma once

// A settings store: writes the values of the window's named controls into a sectioned settings
// file and puts them back. The program has two: ApplicationSettings (the user's settings, one
// file shared by every running instance, with the start counter and the installation date) and
// SessionSettings (the state of the last run and the main window's bounds).

#include "form_size.h"
#include "settings_controls.h"

#include "foundation/paths.h"

#include <QDateTime>
#include <QRect>
#include <QString>
#include <QStringList>

namespace orvix {

// File names of the two stores, from the fixed data base name.
QString ApplicationSettingsFileName(); // "OrvixDownloader.ini"
QString SessionSettingsFileName();     // "OrvixDownloader.Session.ini"

class TVarnelProject
{
public:
    // Fixes the session file name and merges the positions file of older releases into it.
    // Relative file names are taken in settingsFolder.
    explicit TVarnelProject(ISettingsControls &controls, const QString &settingsFolder = GetSettingsFolder());

    // Design-time properties.
    QString ProjectExtension() const { return FProjectExtension; }
    void setProjectExtension(const QString &extension); // ".ini" when empty, "." added when missing
    QStringList PropertiesList() const { return FPropertiesList; }
    void setPropertiesList(const QStringList &entries) { FPropertiesList = entries; }
    bool SingleProjectMode() const { return FsingleProjectMode; }
    void setSingleProjectMode(bool on) { FsingleProjectMode = on; }
    bool SaveFormSize() const { return FsaveFormSize; }
    void setSaveFormSize(bool on) { FsaveFormSize = on; }

    // Makes this the application settings store and loads its file, then counts the start.
    void SetSingleProject();
    // Makes this the session store: appends oldFn (a session file of an older release) to the
    // session file, deletes it, and loads the session file.
    void SetSessionProject(const QString &oldFn);

    // False, after "Saving to " + file + " FAILED" was shown, when the file could not be
    // written: the values stay in the controls, the file as it was.
    bool SaveProjectX();
    bool SaveSettingsX() { return SaveProjectX(); }
    // Reads the file again and applies it; false when the file is missing.
    bool ReloadProject();
    // The file exists and its time differs from the one last read or written.
    bool ProjectModifiedExternally() const;

    // "[starts]" and "[installation date]" of the file: 0 and the current time when missing.
    int GetStartsCount() const;
    QDateTime GetInstallationDate() const;
    void IncrementStarts();

    // The window's close-query step, session store first: the session store writes its file at
    // every exit; the store with SaveFormSize on stores the window's bounds.
    void CloseQuery(const QRect &bounds, bool maximized, const QRect &workArea);

    // Stores the window's bounds in the session file's "[Form Position and Size]" section.
    void FormSize_Save(const QRect &bounds, bool maximized, const QRect &workArea);
    // The placement the window applies for the stored bounds.
    FormPlacement FormSize_Load(const QRect &workArea) const;

    // The text a save writes.
    QStringList BuildProjectText() const;

    QString ProjectFn() const { return m_projectFn; }
    QString ProjectName() const { return m_projectName; }
    QString SessionFn() const { return FsessionFn; }
    QDateTime LastLoadedFileDt() const { return m_lastLoadedFileDt; }
    bool IsSessionProject() const { return m_isSessionProject; }
    bool Active() const { return m_active; }
    bool Modified() const { return m_modified; }

private:
    void OpenProjectFile(QString name);
    void ApplyProjectFile(const QString &fileName);
    void reportEntryError(const QString &message) const;

    QString settingsPath(const QString &name) const;

    ISettingsControls &m_controls;
    QString m_settingsFolder;
    QString FProjectExtension = QStringLiteral(".ini");
    QStringList FPropertiesList;
    bool FautoSaveEnabled = false;
    bool FsingleProjectMode = false;
    bool FsaveFormSize = false;
    QString FsessionFn;
    bool m_isSessionProject = false;
    bool m_forceSaveChanges = false;
    bool m_active = true;
    bool m_modified = false;
    QString m_projectName;
    QString m_projectFn;
    QDateTime m_lastLoadedFileDt;
};

} // namespace orvix
