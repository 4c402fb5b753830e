#include "dialogs.h"

#include "log.h"

#include <atomic>

namespace orvix {

namespace {

// Without a window nobody can answer: the text goes where a person will find it, and every
// question is answered "not OK" so nothing irreversible happens unasked.
class HeadlessDialogs : public IDialogs
{
public:
    void info(const QString &text) override { TellWithoutWindow(text); }
    void error(const QString &text) override { TellWithoutWindow(text); }
    bool okCancel(QObject *, const QString &text, const QString &caption) override
    {
        TellWithoutWindow(caption.isEmpty() ? text : caption + QStringLiteral(": ") + text);
        return false;
    }
    bool inputText(const QString &caption, const QString &prompt, QString &) override
    {
        TellWithoutWindow(caption + QStringLiteral(": ") + prompt);
        return false;
    }
};

HeadlessDialogs g_headless;
std::atomic<IDialogs *> g_dialogs{nullptr};

} // namespace

IDialogs *SetDialogs(IDialogs *dialogs)
{
    return g_dialogs.exchange(dialogs);
}

IDialogs &CurrentDialogs()
{
    IDialogs *d = g_dialogs.load();
    return d ? *d : g_headless;
}

void InfoBox(const QString &text) { CurrentDialogs().info(text); }
void ErrorBox(const QString &text) { CurrentDialogs().error(text); }

bool ConfirmOkCancel(QObject *owner, const QString &text, const QString &caption)
{
    return !CurrentDialogs().okCancel(owner, text, caption);
}

bool InputText(const QString &caption, const QString &prompt, QString &value)
{
    return CurrentDialogs().inputText(caption, prompt, value);
}

bool AskYesNoCancel(QObject *owner, const QString &text, const QString &caption)
{
    return CurrentDialogs().yesNoCancel(owner, text, caption);
}

void ScriptedDialogs::record(const QString &line)
{
    std::lock_guard lock(m_mutex);
    m_shown.append(line);
}

void ScriptedDialogs::info(const QString &text) { record(QStringLiteral("info: ") + text); }
void ScriptedDialogs::error(const QString &text) { record(QStringLiteral("error: ") + text); }

bool ScriptedDialogs::okCancel(QObject *, const QString &text, const QString &)
{
    record(QStringLiteral("confirm: ") + text);
    return answerOk;
}

bool ScriptedDialogs::yesNoCancel(QObject *, const QString &text, const QString &)
{
    record(QStringLiteral("question: ") + text);
    return answerOk;
}

bool ScriptedDialogs::inputText(const QString &, const QString &prompt, QString &value)
{
    record(QStringLiteral("input: ") + prompt);
    if (!answerOk)
        return false;
    value = inputAnswer;
    return true;
}

QStringList ScriptedDialogs::shown() const
{
    std::lock_guard lock(m_mutex);
    return m_shown;
}

void ScriptedDialogs::clear()
{
    std::lock_guard lock(m_mutex);
    m_shown.clear();
}

} // namespace orvix
