#pragma once

// The program's message boxes and questions as real Qt dialogs. Safe from any thread: a box
// asked for by a worker is shown on the main thread while the worker waits for the answer.
// Workers ask through a bridge that closing cuts off (WorkersStopping), so a worker never waits
// on a box while the main thread waits for the worker.

#include "foundation/dialogs.h"
#include "foundation/main_thread_call.h"

#include <QList>
#include <QPointer>

#include <functional>

class QDialog;
class QWidget;

namespace orvix {

class TQtDialogs : public IDialogs
{
public:
    // Made on the main thread. Boxes are centred on parent when it is given (the main window).
    explicit TQtDialogs(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

    void info(const QString &text) override;
    void error(const QString &text) override;
    bool okCancel(QObject *owner, const QString &text, const QString &caption) override;
    bool yesNoCancel(QObject *owner, const QString &text, const QString &caption) override;
    bool inputText(const QString &caption, const QString &prompt, QString &value) override;

    // Main thread, when the program starts closing: boxes open for a worker are closed (a
    // question counts as not OK) and later ones are not shown; their texts go to the message
    // log instead.
    void WorkersStopping();
    // Main thread: boxes shown for a worker at this moment.
    int workerBoxesOpen() const;

private:
    QWidget *parentFor(QObject *owner) const;
    // Runs the box in show on the main thread. From a worker it goes through the bridge and is
    // dropped once the workers stop: then the text is logged and false returned.
    bool run(const QString &text, const std::function<void(QList<QPointer<QDialog>> &boxes)> &show);

    QWidget *m_parent;
    TMainThreadBridge m_workerBridge;
    QList<QPointer<QDialog>> m_workerBoxes; // main thread
};

} // namespace orvix
