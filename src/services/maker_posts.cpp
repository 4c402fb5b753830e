#include "maker_posts.h"

#include "app/maker_host.h"
#include "app/program_version.h"
#include "engine/ie_http.h"
#include "foundation/errors.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace orvix {

int ReadFeedbackReply(const QString &reply)
{
    const QString lower = reply.toLower();
    if (lower.contains(QStringLiteral("warning")) || lower.contains(QStringLiteral("error")))
        return 1;
    return lower.contains(QStringLiteral("feedback_ok")) ? 0 : 2;
}

QString FeedbackFailureMessage(int number)
{
    return QStringLiteral("An error occured while sending your feedback.\r\nPlease try again later. (%1)").arg(number);
}

int SendFeedback(const TFeedbackEntry &entry, bool blocking, const std::atomic<bool> *stop)
{
    TIEHttp http;
    http.setBlockingMode(blocking);
    http.StopWhen = stop;
    http.setMultipartPOST(true);
    http.setURL(MakerRoot() + QStringLiteral("/upgrades/feedback.aspx"));
    http.AddMultipartVar(QStringLiteral("name"), entry.name);
    http.AddMultipartVar(QStringLiteral("username"), LoggedOnUserName());
    http.AddMultipartVar(QStringLiteral("email"), entry.email);
    http.AddMultipartVar(QStringLiteral("comments"), entry.comments);
    http.AddMultipartVar(QStringLiteral("version"), ProgramVersionText());
    http.AddMultipartVar(QStringLiteral("program_id"), QFileInfo(QCoreApplication::applicationFilePath()).fileName());
    try {
        http.Execute();
    } catch (const EOrvix &) {
        return 3;
    }
    if (http.ErrorCode() != 0)
        return 3; // timed out or stopped
    return ReadFeedbackReply(http.ResultText());
}

QString LoggedOnUserName()
{
    if (const passwd *pw = getpwuid(getuid()); pw && pw->pw_name && *pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    const QString fromEnvironment = qEnvironmentVariable("USER");
    return fromEnvironment.isEmpty() ? QStringLiteral("Unknown") : fromEnvironment;
}

bool UserIsAdministrator()
{
    if (getuid() == 0)
        return true;
    const int count = getgroups(0, nullptr);
    std::vector<gid_t> groups(size_t(std::max(count, 0)));
    if (count > 0 && getgroups(count, groups.data()) < 0)
        return false;
    groups.push_back(getgid());
    for (const gid_t g : groups)
        if (const group *gr = getgrgid(g))
            for (const char *name : {"sudo", "wheel", "admin"})
                if (qstrcmp(gr->gr_name, name) == 0)
                    return true;
    return false;
}

bool SubmitPageReport(const QString &pageUrl, const QString &pageSource, const QString &pageAjax, int browserMajor,
                      const std::atomic<bool> *stop)
{
    TIEHttp http;
    http.setBlockingMode(false);
    http.StopWhen = stop;
    http.setMultipartPOST(true);
    http.setURL(MakerRoot() + QStringLiteral("/OrvixSubmitPage.aspx"));
    http.AddMultipartVar(QStringLiteral("app_version"), ProgramVersionText());
    http.AddMultipartVar(QStringLiteral("page_url"), pageUrl);
    http.AddMultipartVar(QStringLiteral("page_source"), pageSource);
    http.AddMultipartVar(QStringLiteral("page_ajax"), pageAjax);
    http.AddMultipartVar(QStringLiteral("ie_version"), QString::number(browserMajor));
    try {
        http.Execute();
    } catch (const EOrvix &) {
        return false;
    }
    return http.ErrorCode() == 0 && http.StatusCode() < 400;
}

} // namespace orvix
