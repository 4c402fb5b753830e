#pragma once

// The program's modal questions and messages. The core asks through one process-wide
// implementation: the window installs one that shows real boxes (on the main thread, also when
// asked from a worker), tests install a scripted one. Until then the headless default writes
// the text to stderr and the program log and answers "not OK".

#include <mutex>
#include <QString>
#include <QStringList>

class QObject;

namespace orvix {

class IDialogs
{
public:
    virtual ~IDialogs() = default;
    virtual void info(const QString &text) = 0;
    virtual void error(const QString &text) = 0;
    // True when the user pressed OK.
    virtual bool okCancel(QObject *owner, const QString &text, const QString &caption) = 0;
    // A question with Yes, No and Cancel: true only on Yes. Without buttons of its own it is
    // asked as OK / Cancel.
    virtual bool yesNoCancel(QObject *owner, const QString &text, const QString &caption)
    {
        return okCancel(owner, text, caption);
    }
    // True on OK; value holds the start text and receives the answer.
    virtual bool inputText(const QString &caption, const QString &prompt, QString &value) = 0;
};

// Installs the implementation (nullptr restores the headless default); returns the previous
// one. The caller keeps ownership and must keep it alive while installed.
IDialogs *SetDialogs(IDialogs *dialogs);
IDialogs &CurrentDialogs();

void InfoBox(const QString &text);
void ErrorBox(const QString &text);
// OK / Cancel with a question: TRUE WHEN THE ANSWER IS NOT OK, so callers read it as
// "if (ConfirmOkCancel(...)) return;".
bool ConfirmOkCancel(QObject *owner, const QString &text, const QString &caption);
bool InputText(const QString &caption, const QString &prompt, QString &value);
// True only when the answer is Yes.
bool AskYesNoCancel(QObject *owner, const QString &text, const QString &caption);

// Records what was asked and gives the answers a test or a script set.
class ScriptedDialogs : public IDialogs
{
public:
    void info(const QString &text) override;
    void error(const QString &text) override;
    bool okCancel(QObject *owner, const QString &text, const QString &caption) override;
    bool yesNoCancel(QObject *owner, const QString &text, const QString &caption) override;
    bool inputText(const QString &caption, const QString &prompt, QString &value) override;

    bool answerOk = false;
    QString inputAnswer;
    // Every text shown, in order, prefixed "info: ", "error: ", "confirm: " (OK / Cancel),
    // "question: " (Yes / No / Cancel; answerOk is Yes) or "input: ".
    QStringList shown() const;
    void clear();

private:
    void record(const QString &line);
    mutable std::mutex m_mutex; // a standard lock: the thread sanitizer sees it
    QStringList m_shown;
};

// Installs dialogs for the lifetime of the guard, then puts the previous ones back.
class ScopedDialogs
{
public:
    explicit ScopedDialogs(IDialogs &dialogs) : m_previous(SetDialogs(&dialogs)) {}
    ~ScopedDialogs() { SetDialogs(m_previous); }
    ScopedDialogs(const ScopedDialogs &) = delete;
    ScopedDialogs &operator=(const ScopedDialogs &) = delete;

private:
    IDialogs *m_previous;
};

} // namespace orvix
