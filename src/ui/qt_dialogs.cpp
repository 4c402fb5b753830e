#include "qt_dialogs.h"

#include "foundation/log.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace orvix {

namespace {

QString title()
{
    return QApplication::applicationDisplayName();
}

// Runs the dialog modally; while it is open for a worker it is listed in boxes, so closing can
// find it. Answers the dialog's result.
int execListed(QDialog &dialog, QList<QPointer<QDialog>> *boxes)
{
    if (boxes)
        boxes->append(&dialog);
    const int result = dialog.exec();
    if (boxes)
        boxes->removeAll(&dialog);
    return result;
}

} // namespace

QWidget *TQtDialogs::parentFor(QObject *owner) const
{
    if (auto *w = qobject_cast<QWidget *>(owner))
        return w->window();
    return m_parent;
}

bool TQtDialogs::run(const QString &text, const std::function<void(QList<QPointer<QDialog>> &boxes)> &show)
{
    if (IsMainThread()) {
        QList<QPointer<QDialog>> notListed;
        show(notListed);
        return true;
    }
    if (m_workerBridge.call([&] { show(m_workerBoxes); }))
        return true;
    LogMessage(text);
    return false;
}

void TQtDialogs::info(const QString &text)
{
    run(text, [&](QList<QPointer<QDialog>> &boxes) {
        QMessageBox box(QMessageBox::Information, title(), text, QMessageBox::Ok, m_parent);
        execListed(box, &boxes);
    });
}

void TQtDialogs::error(const QString &text)
{
    run(text, [&](QList<QPointer<QDialog>> &boxes) {
        QMessageBox box(QMessageBox::Critical, title(), text, QMessageBox::Ok, m_parent);
        execListed(box, &boxes);
    });
}

bool TQtDialogs::okCancel(QObject *owner, const QString &text, const QString &caption)
{
    bool ok = false;
    run(text, [&](QList<QPointer<QDialog>> &boxes) {
        QMessageBox box(QMessageBox::Question, caption.isEmpty() ? title() : caption, text,
                        QMessageBox::Ok | QMessageBox::Cancel, parentFor(owner));
        box.setDefaultButton(QMessageBox::Ok);
        ok = execListed(box, &boxes) == QMessageBox::Ok;
    });
    return ok;
}

bool TQtDialogs::yesNoCancel(QObject *owner, const QString &text, const QString &caption)
{
    bool yes = false;
    run(text, [&](QList<QPointer<QDialog>> &boxes) {
        QMessageBox box(QMessageBox::Question, caption.isEmpty() ? title() : caption, text,
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parentFor(owner));
        box.setDefaultButton(QMessageBox::Yes);
        yes = execListed(box, &boxes) == QMessageBox::Yes;
    });
    return yes;
}

bool TQtDialogs::inputText(const QString &caption, const QString &prompt, QString &value)
{
    bool ok = false;
    run(caption + QStringLiteral(": ") + prompt, [&](QList<QPointer<QDialog>> &boxes) {
        QInputDialog dialog(m_parent);
        dialog.setWindowTitle(caption);
        dialog.setLabelText(prompt);
        dialog.setTextValue(value);
        ok = execListed(dialog, &boxes) == QDialog::Accepted;
        if (ok)
            value = dialog.textValue();
    });
    return ok;
}

void TQtDialogs::WorkersStopping()
{
    ORVIX_ASSERT_MAIN_THREAD();
    m_workerBridge.detach();
    // Each closes once control is back in its own event loop; the worker then goes on.
    for (const QPointer<QDialog> &box : std::as_const(m_workerBoxes))
        if (box)
            box->reject();
}

int TQtDialogs::workerBoxesOpen() const
{
    int n = 0;
    for (const QPointer<QDialog> &box : m_workerBoxes)
        n += box ? 1 : 0;
    return n;
}

} // namespace orvix
