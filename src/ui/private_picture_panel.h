#pragma once

// The "Queue Manager" panel through which the user lets the page worker download a private
// picture: open its page in the browser and confirm there, or skip the picture.

#include "widgets/caption_panel.h"

#include <functional>

class QLineEdit;
class QPushButton;

namespace orvix {

class RunControl;

class TPrivatePicturePanel : public TCaptionPanelK
{
    Q_OBJECT
public:
    // openUrl opens an address in the main browser.
    // run (whose private-picture flags the panel sets) must outlive the panel.
    TPrivatePicturePanel(QWidget *parent, RunControl &run, std::function<void(const QString &)> openUrl);

    // Centred in the window, in front of everything, for the page at url.
    void ShowPrivatePanel(const QString &url);

    void Button3Click(); // "Open page"
    void Button4Click(); // "Skip picture"
    // The caption's close button: the panel stays until the user chose.
    void cpanelPrivatePictureButtonClick();

    QLineEdit *Edit1() const { return m_edit1; }
    QPushButton *Button3() const { return m_button3; }
    QPushButton *Button4() const { return m_button4; }

private:
    RunControl &m_run;
    std::function<void(const QString &)> m_openUrl;
    QLineEdit *m_edit1;
    QPushButton *m_button3;
    QPushButton *m_button4;
};

} // namespace orvix
