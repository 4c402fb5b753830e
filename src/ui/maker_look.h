#pragma once

// The maker's look shared by the service windows: the side panel with the logo and the link
// to the maker's web site.

#include <QColor>
#include <QString>

class QWidget;

namespace orvix {

// A panel of the colour with the maker's name drawn as the logo and a pale-yellow link label at
// its foot that opens url.
QWidget *MakerSidePanel(const QColor &colour, const QString &linkText, const QString &url, QWidget *parent);
// "http://" + the maker's host + "/?ref=" + appId.
QString MakerSiteUrl(const QString &appId);

} // namespace orvix
