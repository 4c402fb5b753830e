#pragma once

// A list box that says when it was scrolled vertically.

#include <QListWidget>

namespace orvix {

class TListBoxEx : public QListWidget
{
    Q_OBJECT
public:
    explicit TListBoxEx(QWidget *parent = nullptr);

Q_SIGNALS:
    void OnVerticalScroll(QObject *sender);
};

} // namespace orvix
