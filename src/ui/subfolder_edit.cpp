#include "subfolder_edit.h"

#include <QValidator>

namespace orvix {

namespace {

// Drops what does not belong instead of refusing the whole input, so a pasted name keeps its
// good characters.
class SubfolderValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override
    {
        const QString filtered = FilterSubfolderText(input);
        if (filtered.size() != input.size()) {
            pos = std::max(0, int(pos - (input.size() - filtered.size())));
            input = filtered;
        }
        return Acceptable;
    }
};

} // namespace

bool SubfolderCharAllowed(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x20 || u >= 0x80)
        return true;
    if ((u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z'))
        return true;
    return QStringView(u" '+,-.[]^_~").contains(c);
}

QString FilterSubfolderText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (SubfolderCharAllowed(c))
            out += c;
    return out;
}

TSubfolderEdit::TSubfolderEdit(const QString &objectName, QWidget *parent) : QLineEdit(parent)
{
    setObjectName(objectName);
    setValidator(new SubfolderValidator(this));
}

} // namespace orvix
