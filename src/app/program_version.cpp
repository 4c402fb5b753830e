#include "program_version.h"

#include "foundation/text.h"

namespace orvix {

QString ProgramVersionText()
{
    return QStringLiteral(ORVIX_VERSION_TEXT);
}

int BuildNumberOf(const QString &versionText)
{
    const int at = TextPos(versionText, u"build:");
    if (at == 0)
        return 0;
    bool ok = false;
    const int n = TextTrim(versionText.mid(at - 1 + 6)).toInt(&ok);
    return ok ? n : 0;
}

} // namespace orvix
