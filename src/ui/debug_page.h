#pragma once

// The debugging page (Ctrl+Shift+D): the program log's list, newest line first, with "clear",
// and the debug-mode check box.

#include "foundation/log.h"

#include <QWidget>

class QCheckBox;
class QListWidget;

namespace orvix {

class RunControl;

class TLogListBox : public ILogListBox
{
public:
    explicit TLogListBox(QListWidget *list) : m_list(list) {}
    void insertTop(const QString &line) override;
    int count() const override;
    void clear() override;
    void repaintNow() override;

private:
    QListWidget *m_list;
};

class TDebugPage : public QWidget
{
    Q_OBJECT
public:
    // run (whose debug mode the check box sets) must outlive the page.
    TDebugPage(QWidget *parent, RunControl &run);

    QListWidget *ListBox1() const { return m_listBox1; }
    ILogListBox &logListBox() { return m_logList; }
    QCheckBox *cbDebug() const { return m_cbDebug; }

private:
    QListWidget *m_listBox1;
    TLogListBox m_logList;
    QCheckBox *m_cbDebug;
};

} // namespace orvix
