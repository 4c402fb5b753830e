#pragma once

// "Paste Urls": a list of picture-page addresses pasted by the user, queued in one go with a
// size and a subfolder of the pictures folder.

#include "widgets/caption_panel.h"

#include <functional>

class QComboBox;
class QPlainTextEdit;
class QPushButton;

namespace orvix {

class TSubfolderEdit;
class TVarnelLinkLabel;

class TPasteUrlsPanel : public TCaptionPanelK
{
    Q_OBJECT
public:
    struct Host
    {
        // The pictures folder, made to exist.
        std::function<QString()> ensuredPicturesFolder;
        // Queues a page line with its row and item file.
        std::function<void(const QString &url, const QString &line)> queuePage;
    };

    TPasteUrlsPanel(QWidget *parent, Host host);

    QPlainTextEdit *edMultipleUrls() const { return m_urls; }
    QComboBox *cbbMultiPasteImageSize() const { return m_size; }
    TSubfolderEdit *edMultiPasteSubFolder() const { return m_subfolder; }
    TVarnelLinkLabel *btnMultiPasteClear() const { return m_clear; }
    QPushButton *panelPasteUrlsOK() const { return m_ok; }
    QPushButton *panelPasteUrlsClose() const { return m_close; }

    // "Paste multiple Urls": shown 600 × 250 in the middle of the window, empty; only focused
    // when it is open already.
    void Open();
    // "Add to queue": returns the number of lines queued.
    int panelPasteUrlsOKClick();
    void panelPasteUrlsCloseClick();
    void btnMultiPasteClearClick();

private:
    Host m_host;
    QPlainTextEdit *m_urls;
    QComboBox *m_size;
    TSubfolderEdit *m_subfolder;
    TVarnelLinkLabel *m_clear;
    QPushButton *m_ok;
    QPushButton *m_close;
};

} // namespace orvix
