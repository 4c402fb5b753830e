#pragma once

// The folder picker: the platform's folder dialog with a title, a preselected folder, centred
// on the screen. Execute() is true unless something failed; a cancelled dialog leaves FileName
// empty.

#include <QObject>
#include <QString>

class QWidget;

namespace orvix {

class TBrowse4FolderK : public QObject
{
    Q_OBJECT
public:
    // The option flags of the folder dialog, by their platform values.
    enum Option : uint {
        OnlySelectFileSysDir = 0x1,
        NoNetDirBelowDomain = 0x2,
        ShowStatusText = 0x4,
        OnlySelectFileSysAncestors = 0x8,
        ShowEditBox = 0x10,
        ValidateEditBox = 0x20,
        UseNewDialogStyle = 0x40,
        HideNewUserInterface = 0x50,
        ShowAlsoURLs = 0x80,
        ShowUsageHint = 0x100,
        HideNewFolderButton = 0x200,
        DontTranslateShortcuts = 0x400,
        OnlySelectComputers = 0x1000,
        OnlySelectPrinters = 0x2000,
        ShowAlsoFiles = 0x4000,
        ShowShareableRes = 0x8000,
    };

    explicit TBrowse4FolderK(QWidget *owner = nullptr);

    QString Root;
    QString Title;
    QString InitialDir;
    QList<Option> Options{ShowEditBox, UseNewDialogStyle};
    bool ShowTitle = true;
    QString FileName;

    // The sum of the chosen options' flags.
    uint DialogFlags() const;
    bool Execute();

private:
    QWidget *m_owner;
};

} // namespace orvix
