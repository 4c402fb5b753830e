#pragma once

// The download subfolder boxes: one folder level below the pictures folder, so no separators
// and no characters a file system or a shell would trip over.

#include <QLineEdit>

namespace orvix {

// Control characters and everything from U+0080 up pass; of the rest of ASCII only the space,
// "'", "+", ",", "-", ".", digits, letters, "[", "]", "^", "_" and "~".
bool SubfolderCharAllowed(QChar c);
QString FilterSubfolderText(const QString &text);

class TSubfolderEdit : public QLineEdit
{
    Q_OBJECT
public:
    TSubfolderEdit(const QString &objectName, QWidget *parent);
};

} // namespace orvix
