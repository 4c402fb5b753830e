#include "debug_page.h"

#include "widgets/filename_edit.h"

#include "foundation/run_control.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace orvix {

void TLogListBox::insertTop(const QString &line) { m_list->insertItem(0, line); }
int TLogListBox::count() const { return m_list->count(); }
void TLogListBox::clear() { m_list->clear(); }
void TLogListBox::repaintNow() { m_list->repaint(); }

TDebugPage::TDebugPage(QWidget *parent, RunControl &run)
    : QWidget(parent), m_listBox1(new QListWidget), m_logList(m_listBox1)
{
    setObjectName(QStringLiteral("TabSheet4"));
    auto *tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("pcBottomDebug"));

    auto *logPage = new QWidget;
    logPage->setObjectName(QStringLiteral("tsLog"));
    m_listBox1->setObjectName(QStringLiteral("ListBox1"));
    m_listBox1->setParent(logPage);
    auto *clear = new QPushButton(QStringLiteral("clear"), logPage);
    clear->setObjectName(QStringLiteral("bClearLog"));
    connect(clear, &QPushButton::clicked, m_listBox1, &QListWidget::clear);
    m_cbDebug = new QCheckBox(QStringLiteral("debug"), logPage);
    m_cbDebug->setObjectName(QStringLiteral("cbDebug"));
    connect(m_cbDebug, &QCheckBox::clicked, this, [&run](bool on) { run.debugMode = on; });

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(clear);
    buttons->addWidget(m_cbDebug);
    buttons->addStretch(1);
    auto *logLayout = new QVBoxLayout(logPage);
    logLayout->addLayout(buttons);
    logLayout->addWidget(m_listBox1, 1);
    tabs->addTab(logPage, QStringLiteral("Log"));

    auto *filesPage = new QWidget;
    filesPage->setObjectName(QStringLiteral("tsFiles"));
    m_filenameEdit2 = new TVarnelFilenameEdit(filesPage);
    m_filenameEdit2->setObjectName(QStringLiteral("FilenameEdit2"));
    m_filenameEdit1 = new TVarnelFilenameEdit(filesPage);
    m_filenameEdit1->setObjectName(QStringLiteral("FilenameEdit1"));
    m_goto2 = new QPushButton(QStringLiteral("Open its page"), filesPage);
    m_goto2->setObjectName(QStringLiteral("bGotoPageFromFilename2"));
    m_goto1 = new QPushButton(QStringLiteral("Open its zoom page"), filesPage);
    m_goto1->setObjectName(QStringLiteral("bGotoPageFromFilename1"));
    auto *files = new QGridLayout(filesPage);
    files->addWidget(new QLabel(QStringLiteral("Saved picture:"), filesPage), 0, 0);
    files->addWidget(m_filenameEdit2, 0, 1);
    files->addWidget(m_goto2, 0, 2);
    files->addWidget(new QLabel(QStringLiteral("Saved picture:"), filesPage), 1, 0);
    files->addWidget(m_filenameEdit1, 1, 1);
    files->addWidget(m_goto1, 1, 2);
    files->setColumnStretch(1, 1);
    files->setRowStretch(2, 1);
    tabs->addTab(filesPage, QStringLiteral("Files"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tabs);
}

} // namespace orvix
