#pragma once

// The top bar of the main window: the address box with Go, Paste and Go, Back and Forward, the
// search box with where to search, sign-in, the page report button, the status light and the
// "--WORKING--" label.

#include <QWidget>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace orvix {

// What the top bar asks of the window around it.
class ITopBarHost
{
public:
    virtual ~ITopBarHost() = default;
    virtual void navigate(const QString &url) = 0;
    virtual void goBack() = 0;
    virtual void goForward() = 0;
    // The page about to be opened must be parsed again even when it is the one last parsed.
    virtual void forgetParsedPage() = 0;
    // Shift+Go after start-up: the address in a second copy of the program.
    virtual bool openInNewInstanceAllowed() = 0;
    virtual void openInNewInstance(const QString &url) = 0;
    virtual void searchLibrary(const QString &term) = 0;
    // Paste and Go found several addresses on the clipboard and went to the first of them.
    virtual void pastedSeveralAddresses(const QStringList &addresses) = 0;
};

enum class TStatusLight { Hidden, Red, Blue };

class TTopBar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kSearchInSite = 0;
    static constexpr int kSearchInLibrary = 1;

    TTopBar(ITopBarHost &host, QWidget *parent);

    QLineEdit *edURL() const { return m_edURL; }
    QLineEdit *edSearchTerm() const { return m_edSearchTerm; }
    QComboBox *cbSearchIn() const { return m_cbSearchIn; }
    QToolButton *bGoBack() const { return m_bGoBack; }
    QToolButton *bGoForward() const { return m_bGoForward; }
    QToolButton *bSubmitPage() const { return m_bSubmitPage; }
    QLabel *labelWorking() const { return m_labelWorking; }
    QToolButton *bAddToFavorites() const { return m_bAddToFavorites; }
    QToolButton *bFavorites() const { return m_bFavorites; }

    void bOpenURLClick();
    void bPasteUrlClick();
    void bSearchClick();
    void btnSignInClick();
    // Enables Back for command 2 and Forward for command 1.
    void CommandStateChange(int command, bool enabled);
    // The library search becomes available once it exists.
    void setLibrarySearchAvailable(bool available);

    void setStatusLight(TStatusLight light);
    TStatusLight statusLight() const { return m_light; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QToolButton *makeButton(const QString &name, const QString &text, const QString &hint);

    ITopBarHost &m_host;
    QLineEdit *m_edURL;
    QToolButton *m_bGoBack;
    QToolButton *m_bGoForward;
    QLineEdit *m_edSearchTerm;
    QComboBox *m_cbSearchIn;
    QToolButton *m_bSubmitPage;
    QToolButton *m_bAddToFavorites;
    QToolButton *m_bFavorites;
    QFrame *m_panelStatus;
    QLabel *m_labelWorking;
    TStatusLight m_light = TStatusLight::Hidden;
};

} // namespace orvix
