#include "maker_look.h"

#include "app/maker_host.h"
#include "widgets/link_label.h"

#include <QDesktopServices>
#include <QLabel>
#include <QToolTip>
#include <QUrl>
#include <QVBoxLayout>

namespace orvix {

QString MakerSiteUrl(const QString &appId)
{
    return MakerRoot() + QStringLiteral("/?ref=") + appId;
}

QWidget *MakerSidePanel(const QColor &colour, const QString &linkText, const QString &url, QWidget *parent)
{
    auto *panel = new QWidget(parent);
    panel->setAutoFillBackground(true);
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, colour);
    panel->setPalette(pal);
    auto *layout = new QVBoxLayout(panel);
    auto *logo = new QLabel(QStringLiteral("<span style='font-size:20pt; font-weight:bold; color:white'>Varnel</span>"
                                           "<br><span style='color:#dddddd'>Software</span>"),
                            panel);
    logo->setObjectName(QStringLiteral("imgLogo"));
    logo->setAlignment(Qt::AlignCenter);
    layout->addWidget(logo);
    layout->addStretch(1);
    auto *link = new TVarnelLinkLabel(QStringLiteral("<a href=><u>") + linkText, panel);
    link->setObjectName(QStringLiteral("linkWebSite"));
    link->setFontColor(QToolTip::palette().color(QPalette::ToolTipBase));
    link->setTransparent(true);
    QObject::connect(link, &TVarnelLinkLabel::clicked, panel, [url] { QDesktopServices::openUrl(QUrl(url)); });
    layout->addWidget(link, 0, Qt::AlignHCenter);
    return panel;
}

} // namespace orvix
