#pragma once

// The program's message boxes and questions as real Qt dialogs. Safe from any thread: a box
// asked for by a worker is shown on the main thread while the worker waits for the answer.

#include "foundation/dialogs.h"

class QWidget;

namespace orvix {

class TQtDialogs : public IDialogs
{
public:
    // Boxes are centred on parent when it is given (the main window).
    explicit TQtDialogs(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

    void info(const QString &text) override;
    void error(const QString &text) override;
    bool okCancel(QObject *owner, const QString &text, const QString &caption) override;
    bool inputText(const QString &caption, const QString &prompt, QString &value) override;

private:
    QWidget *parentFor(QObject *owner) const;
    QWidget *m_parent;
};

} // namespace orvix
