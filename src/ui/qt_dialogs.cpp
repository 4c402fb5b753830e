#include "qt_dialogs.h"

#include "foundation/main_thread_call.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>

namespace orvix {

namespace {

QString title()
{
    return QApplication::applicationDisplayName();
}

} // namespace

QWidget *TQtDialogs::parentFor(QObject *owner) const
{
    if (auto *w = qobject_cast<QWidget *>(owner))
        return w->window();
    return m_parent;
}

void TQtDialogs::info(const QString &text)
{
    RunOnMainThread([&] { QMessageBox::information(m_parent, title(), text); });
}

void TQtDialogs::error(const QString &text)
{
    RunOnMainThread([&] { QMessageBox::critical(m_parent, title(), text); });
}

bool TQtDialogs::okCancel(QObject *owner, const QString &text, const QString &caption)
{
    bool ok = false;
    RunOnMainThread([&] {
        const auto answer = QMessageBox::question(parentFor(owner),
                                                  caption.isEmpty() ? title() : caption, text,
                                                  QMessageBox::Ok | QMessageBox::Cancel,
                                                  QMessageBox::Ok);
        ok = answer == QMessageBox::Ok;
    });
    return ok;
}

bool TQtDialogs::inputText(const QString &caption, const QString &prompt, QString &value)
{
    bool ok = false;
    RunOnMainThread([&] {
        const QString answer = QInputDialog::getText(m_parent, caption, prompt, QLineEdit::Normal,
                                                     value, &ok);
        if (ok)
            value = answer;
    });
    return ok;
}

} // namespace orvix
