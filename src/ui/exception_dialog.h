#pragma once

// "VarnelExcept": the non-modal dialog of one exception report, the message above and the
// details (stacks) below; Copy and Ctrl+C put the details on the clipboard.

#include <QDialog>

#include <atomic>

class QPlainTextEdit;

namespace orvix {

class TExceptionDialog : public QDialog
{
    Q_OBJECT
public:
    // openCount is counted up while the dialog exists.
    TExceptionDialog(const QString &message, const QString &details, std::atomic<int> &openCount,
                     QWidget *parent = nullptr);
    ~TExceptionDialog() override;

    void CopyReportToClipboard();
    QPlainTextEdit *TextMemo() const { return m_text; }
    QPlainTextEdit *DetailsMemo() const { return m_details; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::atomic<int> &m_openCount;
    QPlainTextEdit *m_text;
    QPlainTextEdit *m_details;
};

} // namespace orvix
