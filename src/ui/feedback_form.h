#pragma once

// "Varnel Software Feedback": name, e-mail and comments sent to the maker; the texts stay after
// a failure so the user can try again.

#include <QDialog>

#include <atomic>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace orvix {

class TVarnelPageControlX;

class TFormFeedback : public QDialog
{
    Q_OBJECT
public:
    explicit TFormFeedback(QWidget *parent = nullptr);

    void bSendFeedbackClick();
    bool thanksShown() const;

protected:
    void reject() override; // Close, Escape and the title bar's close button ask first
    void done(int result) override; // the program closing: a post under way stops, unasked

private:
    void setSending(bool sending);

    TVarnelPageControlX *m_pages;
    QLineEdit *m_edName;
    QLineEdit *m_edEmail;
    QPlainTextEdit *m_edComments;
    QPushButton *m_bSend;
    QPushButton *m_bClose2;
    QLabel *m_sending;
    QLabel *m_spinner;
    QTimer *m_spinnerTimer;
    bool m_closeWithoutAsking = false;
    std::atomic<bool> m_stopSending{false};
};

} // namespace orvix
