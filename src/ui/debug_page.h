#pragma once

// The debugging page (Ctrl+Shift+D): the program log's list, newest line first, with "clear",
// and the debug-mode check box; and the two file boxes that open the page a saved picture came
// from ("Locate in Orvix" fills the second).

#include "foundation/log.h"

#include <QWidget>

class QCheckBox;
class QListWidget;
class QPushButton;

namespace orvix {

class RunControl;
class TVarnelFilenameEdit;

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
    // By the picture's record in the database.
    TVarnelFilenameEdit *FilenameEdit2() const { return m_filenameEdit2; }
    // By the picture id, on the site's zoom page.
    TVarnelFilenameEdit *FilenameEdit1() const { return m_filenameEdit1; }
    QPushButton *bGotoPageFromFilename2() const { return m_goto2; }
    QPushButton *bGotoPageFromFilename1() const { return m_goto1; }

private:
    QListWidget *m_listBox1;
    TLogListBox m_logList;
    QCheckBox *m_cbDebug;
    TVarnelFilenameEdit *m_filenameEdit2;
    TVarnelFilenameEdit *m_filenameEdit1;
    QPushButton *m_goto2;
    QPushButton *m_goto1;
};

} // namespace orvix
