#include "maker_host.h"

#include "foundation/command_line.h"
#include "foundation/errors.h"
#include "foundation/text.h"

#include <mutex>

namespace orvix {

namespace {

// Set once at start-up in the program; tests change it between cases, so reads are locked.
std::mutex makerLock;
QString makerHost = QString::fromLatin1(DefaultMakerHost);

} // namespace

QString MakerHost()
{
    std::lock_guard<std::mutex> lock(makerLock);
    return makerHost;
}

QString MakerRoot()
{
    return QStringLiteral("http://") + MakerHost();
}

// The service is reached over plain http only, as the site is.
void SetMakerHost(const QString &host)
{
    QString h = TextTrim(host);
    if (TextStartsWith(TextLower(h), u"http://"))
        h = h.mid(7);
    else if (TextContains(h, u"://"))
        throw EOrvix(QStringLiteral("maker \"") + h
                     + QStringLiteral("\": the maker's service is reached over http:// only; give its host, as in maker=127.0.0.1:8081"));
    h = TextRemoveSuffix(h, u"/");
    std::lock_guard<std::mutex> lock(makerLock);
    makerHost = h.isEmpty() ? QString::fromLatin1(DefaultMakerHost) : h;
}

bool SetMakerHostFromEnvironment()
{
    const QString value = TextTrim(qEnvironmentVariable(MakerEnvironmentVariable));
    if (value.isEmpty())
        return false;
    SetMakerHost(value);
    return true;
}

void ChooseMakerHost()
{
    SetMakerHostFromEnvironment();
    const QString fromSwitch = TextTrim(GetSwitchValue(QStringLiteral("maker")));
    if (!fromSwitch.isEmpty())
        SetMakerHost(fromSwitch);
}

} // namespace orvix
