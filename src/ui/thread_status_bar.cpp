#include "thread_status_bar.h"

#include "foundation/main_thread_call.h"

#include <QFrame>
#include <QHBoxLayout>

namespace orvix {

namespace {

QFrame *square(const QString &name, QWidget *parent)
{
    auto *f = new QFrame(parent);
    f->setObjectName(name);
    f->setFixedSize(10, 10);
    f->setFrameShape(QFrame::Box);
    f->setAutoFillBackground(true);
    QPalette p = f->palette();
    p.setColor(QPalette::Window, Qt::white);
    f->setPalette(p);
    return f;
}

} // namespace

TThreadStatusBar::TThreadStatusBar(QWidget *parent)
    : TPanelX(parent), m_status1(square(QStringLiteral("panelThreadStatus1"), this)),
      m_status2(square(QStringLiteral("panelThreadStatus2"), this))
{
    setObjectName(QStringLiteral("panelThreadStatus"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(3);
    layout->addWidget(m_status1);
    layout->addWidget(m_status2);
}

void TThreadStatusBar::ToggleHeartbeat()
{
    ORVIX_ASSERT_MAIN_THREAD();
    m_blue = !m_blue;
    QPalette p = m_status1->palette();
    p.setColor(QPalette::Window, m_blue ? QColor(Qt::blue) : QColor(Qt::white));
    m_status1->setPalette(p);
}

} // namespace orvix
