#pragma once

// The page-type area of the top bar: one page at a time, chosen by what the browser shows: the
// picture panel (ts1), the notice for a page the program does not read (ts2), and the
// "Save pictures" button of a thumbnails page (ts4).

#include "pages/page_parser.h"

#include "widgets/varnel_page_control_x.h"

class QLabel;
class QPushButton;
class QToolButton;

namespace orvix {

class TPicturePanel;
class IPicturePanelHost;

class TPageTypeArea : public TVarnelPageControlX
{
    Q_OBJECT
public:
    enum Page { Ts1 = 0, Ts2 = 1, Ts3 = 2, Ts4 = 3 };

    TPageTypeArea(IPicturePanelHost &host, QWidget *window, QWidget *parent);

    TPicturePanel *picturePanel() const { return m_picturePanel; }
    QPushButton *bSaveMultiple() const { return m_bSaveMultiple; }
    QWidget *panelUnrecognizedPage() const { return m_panelUnrecognized; }

    // The window's start: the notice on ts2.
    void ShowStartState();
    // Hides "--WORKING--"'s neighbours and shows the one panel given.
    void ShowPagePanel(TPagePanel panel);
    // The "Save pictures" button on ts4 (the web panel, once there, takes its place).
    void ShowSaveMultiple();
    void HideSaveMultiple();
    bool SaveMultipleShown() const;

Q_SIGNALS:
    void saveMultipleClicked();

private:
    TPicturePanel *m_picturePanel;
    QWidget *m_panelUnrecognized;
    QWidget *m_panelUnsupportedMultipage;
    QPushButton *m_bSaveMultiple;
    bool m_saveMultipleShown = false;
};

} // namespace orvix
