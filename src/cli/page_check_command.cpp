// "inspect": shows how a saved page is read, to find out why a page was or was not recognised.
#include "cli_command.h"

#include "pages/page_mode.h"
#include "pages/page_numbering.h"
#include "pages/page_parser.h"
#include "pages/parse_reports.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace orvix::cli {

namespace {

// Reports go to stderr so that stdout stays one JSON object.
class StderrReports : public IParseReports
{
public:
    explicit StderrReports(TTermStream &err) : m_err(err) {}
    void alert(const QString &text) override { m_err << "alert: " << text << '\n'; }
    void infoBox(const QString &text) override { m_err << "message box: " << text << '\n'; }
    void message(const QString &text) override { m_err << "message: " << text << '\n'; }

private:
    TTermStream &m_err;
};

QJsonObject pictureJson(const TImageData &d)
{
    return {{QStringLiteral("ImageId"), d.ImageId},
            {QStringLiteral("ImageSecretID"), d.ImageSecretID},
            {QStringLiteral("ImageName"), d.ImageName},
            {QStringLiteral("ImageIdX"), d.ImageIdX}};
}

QJsonArray entriesJson(const QStringList &lines)
{
    QJsonArray entries;
    for (const QString &line : lines) {
        const TWebFrameEntry e = EntryFromLine(line);
        entries.append(QJsonObject{{QStringLiteral("PhotoTargetUrl"), e.PhotoTargetUrl},
                                   {QStringLiteral("PhotoThumbUrl"), e.PhotoThumbUrl},
                                   {QStringLiteral("PhotoTitle"), e.PhotoTitle}});
    }
    return entries;
}

QJsonObject pagingJson(const TPageNumbering &p)
{
    return {{QStringLiteral("PrevPageUrl"), p.PrevPageUrl},
            {QStringLiteral("NextPageUrl"), p.NextPageUrl},
            {QStringLiteral("FirstPageUrl"), p.FirstPageUrl},
            {QStringLiteral("LastPageUrl"), p.LastPageUrl},
            {QStringLiteral("CurrentPageNo"), p.CurrentPageNo},
            {QStringLiteral("LastPageNo"), p.LastPageNo},
            {QStringLiteral("PageUrlTemplate"), p.PageUrlTemplate}};
}

int runInspect(const QStringList &given, TCliIo &io)
{
    QStringList args = given;
    QString address;
    TakeOption(args, QStringLiteral("address"), address);
    for (const QString &a : args) {
        if (a.startsWith(QStringLiteral("--"))) {
            io.err << "orvix-cli inspect: unknown option " << a << '\n';
            return ExitUsage;
        }
    }
    if (args.size() != 1) {
        io.err << "usage: orvix-cli inspect FILE [--address=URL] [--site=HOST[:PORT]]\n";
        return ExitUsage;
    }

    QFile file(args[0]);
    if (!file.open(QIODevice::ReadOnly)) {
        io.err << "orvix-cli inspect: cannot read " << args[0] << ": " << file.errorString() << '\n';
        return ExitUsage;
    }

    // The page as the worker gets it: its bytes widened one per character.
    StderrReports reports(io.err);
    TPageWorkerContext ctx;
    ctx.Reports = &reports;
    ctx.WorkerPageText = QString::fromLatin1(file.readAll());
    ctx.WorkerImageData.PageUrl = address;

    ParseWorkerPicturePage(ctx);
    const int pageMode = ParseWorkerMatrixPage(ctx);
    TPageNumbering paging;
    if (pageMode != pmNotThumbnails)
        CreatePageNextPrev(ctx.WorkerPageText, address, address, paging, reports);

    const QJsonObject result{{QStringLiteral("pageMode"), pageMode},
                             {QStringLiteral("picture"), pictureJson(ctx.WorkerImageData)},
                             {QStringLiteral("entries"), entriesJson(ctx.WorkerPageEntries)},
                             {QStringLiteral("paging"), pagingJson(paging)}};
    io.out.lines(QString::fromUtf8(QJsonDocument(result).toJson(QJsonDocument::Indented)));
    return ExitOk;
}

const TCliRegistration registration({QStringLiteral("inspect"),
                                     QStringLiteral("FILE [--address=URL]"),
                                     QStringLiteral("read a saved page as the page worker does and "
                                                    "print what it finds as JSON"),
                                     &runInspect});

} // namespace

} // namespace orvix::cli
