#pragma once

// The floating "Settings" panel: its controls are the very controls the application settings
// store keeps. Closing it checks the pictures folder, applies the settings and writes the
// settings file. While it is open this instance holds the "orvix_settings" mutex, so two running
// copies never edit the settings at once.

#include "widgets/caption_panel.h"

#include "foundation/named_mutex.h"

#include <functional>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace orvix {

class ProgramContext;
class TTabSheetX;
class TVarnelDirectoryEdit;
class TVarnelNavBar;
class TVarnelPageControlX;

class TSettingsPanel : public TCaptionPanelK
{
    Q_OBJECT
public:
    static constexpr int kPageGeneral = 0;
    static constexpr int kPageBrowsing = 1;
    static constexpr int kPageOther = 2;
    // "orvix_settings" for the copies that share this settings folder: copies on other folders
    // edit other settings.
    static QString SettingsMutexName(const QString &settingsFolder);

    // imageSizeChosen keeps the window's other size boxes in step with rg_ImageSizeToSave.
    TSettingsPanel(ProgramContext &context, std::function<void(int)> imageSizeChosen, QWidget *parent);
    ~TSettingsPanel() override;

    // Opens the panel on the page (-1: the page it shows); false when another instance shows its
    // settings.
    bool miGeneralSettingsClick(int page);
    // Checks, applies and saves, then closes; the panel stays open when anything fails.
    void bCloseSettingsClick();
    void rg_ImageSizeToSaveClick();
    void bOpenOutputFolderClick();
    // The start-page radio buttons as edStartUrlIdx says (start-up, and after a reload).
    void ShowStartPageChoice();
    // Trims the explanation texts.
    void TrimMemos();
    // While visible: centred in the window again.
    void FormResize();

    bool holdsMutex() const { return !m_mutex.isNull(); }
    TVarnelNavBar *navBar() const { return m_navBar; }
    TVarnelPageControlX *pages() const { return m_pages; }
    TVarnelDirectoryEdit *edOutputPath() const { return m_edOutputPath; }
    QPushButton *bCloseSettings() const { return m_bCloseSettings; }

private:
    TTabSheetX *buildGeneral();
    TTabSheetX *buildBrowsing();
    TTabSheetX *buildOther();
    QPlainTextEdit *memo(const QString &name, const QString &text, QWidget *parent);
    // Shows the panel again after a failed close, taking the mutex back when it is free.
    void keepOpen();

    ProgramContext &m_context;
    std::function<void(int)> m_imageSizeChosen;
    NamedMutexHandle m_mutex;
    TVarnelNavBar *m_navBar;
    TVarnelPageControlX *m_pages;
    QGroupBox *m_rgImageSize = nullptr;
    TVarnelDirectoryEdit *m_edOutputPath = nullptr;
    QRadioButton *m_rbStartPage1 = nullptr;
    QRadioButton *m_rbStartPage2 = nullptr;
    QLineEdit *m_edStartUrlIdx = nullptr;
    QPushButton *m_bCloseSettings = nullptr;
    QList<QPlainTextEdit *> m_memos;
};

} // namespace orvix
