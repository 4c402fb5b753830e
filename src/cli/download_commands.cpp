// "get", "paste", "resume" and "discard": downloading without a window, through the same
// queues, item files, sessions and picture database as the desktop program.
#include "cli_browser.h"
#include "cli_command.h"
#include "download_run.h"
#include "listing_range.h"

#include "app/program_context.h"
#include "engine/ie_http.h"
#include "foundation/errors.h"
#include "foundation/formats.h"
#include "foundation/text.h"
#include "foundation/text_codec.h"
#include "pages/parse_reports.h"
#include "pages/picture_page.h"
#include "pages/site.h"
#include "queue/incomplete_session.h"
#include "queue/queue_line.h"
#include "queue/pasted_urls.h"
#include "queue/queue_state.h"

#include <QFile>

namespace orvix::cli {

namespace {

// A picture page shows its picture (or asks to confirm a private one); any other page the site
// serves is read as a listing, in the browser (some listings show their pictures only once
// their scripts ran). An address that cannot be fetched, or answers with an error, is queued as
// a picture page: the page worker reports it.
bool isPicturePage(const QString &url)
{
    TIEHttp http;
    http.UnzipMethod = u'G';
    QString text;
    try {
        http.ExecuteUrl(url);
        text = http.ResultText();
    } catch (const std::exception &) {
        return true;
    }
    const bool served = http.ResponseHeaders().value(0).section(u' ', 1, 1).startsWith(u'2');
    if (!served || text.isEmpty() || TextContains(text, u"class=\"confirmation_button\""))
        return true;
    TImageData picture;
    TLogParseReports quiet;
    ParsePicturePage(text, picture, quiet, url);
    return !picture.ImageId.isEmpty();
}

QString pageLine(const QString &url, const QString &urlType, const QString &size, const QString &tags,
                 const QString &folder)
{
    return url + u'|' + urlType + u'|' + size + u'|' + tags + u'|' + folder;
}

int runGet(const QStringList &given, TCliIo &io)
{
    QStringList args = given;
    TDownloadRun run(io);
    QString size;
    QString subfolder;
    QString tags;
    QString pages;
    TPageRange range;
    if (!run.takeCommonOptions(args, QStringLiteral("get")) || !TakeSizeOption(args, io, QStringLiteral("get"), size)
        || !TakeSubfolderOption(args, io, QStringLiteral("get"), subfolder))
        return ExitUsage;
    TakeOption(args, QStringLiteral("tags"), tags);
    tags.replace(u'|', u'_');
    const bool withPages = TakeOption(args, QStringLiteral("pages"), pages);
    if (withPages && !ParsePageRange(pages, range)) {
        io.err << "orvix-cli get: --pages is \"all\" or FIRST-LAST (as 1-5), not \"" << pages << "\"\n";
        return ExitUsage;
    }
    if (!NoOptionsLeft(args, io, QStringLiteral("get")))
        return ExitUsage;
    if (args.isEmpty()) {
        io.err << "usage: orvix-cli get [--size=0|1|2] [--tags=TEXT] [--subfolder=NAME] [--pages=all|N-M] URL...\n";
        return ExitUsage;
    }
    for (const QString &url : std::as_const(args)) {
        if (!url.startsWith(QStringLiteral("http://")) && !url.startsWith(QStringLiteral("https://"))) {
            io.err << "orvix-cli get: not a web address: " << url << '\n';
            return ExitUsage;
        }
        if (url.contains(u'|')) {
            io.err << "orvix-cli get: an address may not hold \"|\" (it separates the parts of a queue line): " << url
                   << '\n';
            return ExitUsage;
        }
    }

    QList<bool> listing;
    for (const QString &url : std::as_const(args))
        listing << !isPicturePage(url);
    if (listing.contains(true) && !BrowserAvailable()) {
        RestartWithBrowser(io);
        return ExitFailed;
    }
    if (!run.start())
        return ExitFailed;
    run.mentionIncompleteSession();

    const QString folder = run.targetFolder(subfolder);
    // Once an item file cannot be written the rest is not queued; what was queued still runs.
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &url = args[i];
        if (!listing[i]) {
            if (!run.queuePage(url, pageLine(url, QString::fromUtf16(kPictureUrlType), size, tags, folder)))
                break;
            continue;
        }
        QStringList urls{url};
        if (withPages)
            urls = ListingPageUrls(url, range, run.context().workerTiming(), io);
        bool queued = true;
        for (const QString &page : std::as_const(urls))
            if (!(queued = run.queuePage(page, pageLine(page, QString::fromUtf16(kThumbnailsUrlType), size, tags, folder))))
                break;
        if (!queued)
            break;
    }
    return run.runQueues();
}

int runPaste(const QStringList &given, TCliIo &io)
{
    QStringList args = given;
    TDownloadRun run(io);
    QString size;
    QString subfolder;
    if (!run.takeCommonOptions(args, QStringLiteral("paste")) || !TakeSizeOption(args, io, QStringLiteral("paste"), size)
        || !TakeSubfolderOption(args, io, QStringLiteral("paste"), subfolder) || !NoOptionsLeft(args, io, QStringLiteral("paste")))
        return ExitUsage;
    if (args.size() != 1) {
        io.err << "usage: orvix-cli paste [--size=0|1|2] [--subfolder=NAME] FILE (- for standard input)\n";
        return ExitUsage;
    }
    QFile file;
    const bool opened = args[0] == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                       : (file.setFileName(args[0]), file.open(QIODevice::ReadOnly));
    if (!opened) {
        io.err << "orvix-cli paste: cannot read " << args[0] << ": " << file.errorString() << '\n';
        return ExitUsage;
    }
    // A list saved as UTF-16 says so with its byte-order mark.
    const QString text = DecodeTextBytes(file.readAll()).remove(QChar(0xFEFF));
    if (!run.start())
        return ExitFailed;
    run.mentionIncompleteSession();

    // As the paste panel: picture pages of the photo site over "http://"; anything else is
    // passed over without a word.
    const QString folder = run.targetFolder(subfolder);
    const PastedUrls pasted = TakePastedUrls(text);
    for (const QString &url : pasted.malformed) {
        // It would break its queue line: never queued, and the run is not complete.
        io.err << "malformed line (not queued): " << url.left(kMaxQuotedLine) << '\n';
        run.markIncomplete();
    }
    qint64 count = 0;
    for (const QString &url : pasted.accepted) {
        if (!run.queuePage(url, PastedPageLine(url, size, folder)))
            break;
        ++count;
    }
    io.err << FormatCount(count) << " items have been queued\n";
    return run.runQueues();
}

// resume and discard act on the session an earlier run left unfinished.
int runSessionCommand(const QStringList &given, TCliIo &io, bool resume)
{
    const QString name = resume ? QStringLiteral("resume") : QStringLiteral("discard");
    QStringList args = given;
    TDownloadRun run(io);
    if (!run.takeCommonOptions(args, name) || !NoOptionsLeft(args, io, name))
        return ExitUsage;
    if (!args.isEmpty()) {
        io.err << "usage: orvix-cli " << name << " [--settings=FOLDER] [--out=FOLDER]\n";
        return ExitUsage;
    }
    if (!run.start())
        return ExitFailed;
    bool searchFailed = false;
    std::unique_ptr<FoundSession> found = run.findIncompleteSession(&searchFailed);
    if (!found) {
        if (searchFailed)
            return ExitFailed;
        io.err << "No incomplete session found.\n";
        return ExitOk;
    }
    io.err << "Incomplete session found: " << found->name() << " (" << found->leftovers().size() << " lines";
    if (!found->problems().isEmpty())
        io.err << ", " << found->problems().size() << " of them cannot be resumed";
    io.err << ")\n";
    for (const QString &problem : found->problems())
        io.err << "orvix-cli: " << (resume ? "left as it is: " : "") << problem << '\n';
    if (!resume) {
        found->Discard(run.queues().itemFiles());
        io.err << "Discarded.\n";
        return ExitOk;
    }
    // What resume cannot take stays, and so does the exit code 1, until discard removes it.
    if (!found->problems().isEmpty()) {
        io.err << "orvix-cli: " << found->problems().size()
               << " item files cannot be resumed; \"orvix-cli discard\" removes them\n";
        run.markIncomplete();
    }
    if (found->entries().isEmpty())
        return ExitFailed;
    const bool listings = !found->entries().filter(QStringLiteral("|id:2|")).isEmpty();
    if (listings && !BrowserAvailable()) {
        // The slots are let go with the process image; the new one finds the session again.
        RestartWithBrowser(io);
        return ExitFailed;
    }
    try {
        run.context().ResumeFoundSession(*found);
    } catch (const std::exception &e) {
        // The lines not taken keep their old files; those taken are queued with new ones.
        io.err << "orvix-cli: the session could not be taken up whole: " << exceptionMessage(e) << '\n';
        run.markIncomplete();
    }
    return run.runQueues();
}

int runResume(const QStringList &args, TCliIo &io)
{
    return runSessionCommand(args, io, true);
}

int runDiscard(const QStringList &args, TCliIo &io)
{
    return runSessionCommand(args, io, false);
}

const TCliRegistration getRegistration({
    QStringLiteral("get"),
    QStringLiteral("[--tags=TEXT] [--subfolder=NAME] [--pages=all|N-M] URL..."),
    QStringLiteral("downloads picture pages, and the pictures of thumbnails pages (read in a browser engine);\n"
                   "      --pages queues that range of the listing's numbered pages"),
    runGet,
    QString(),
    {QStringLiteral("settings"), QStringLiteral("out"), QStringLiteral("retries"), QStringLiteral("size")},
});

const TCliRegistration pasteRegistration({
    QStringLiteral("paste"),
    QStringLiteral("[--subfolder=NAME] FILE"),
    QStringLiteral("downloads the picture pages listed in FILE, one per line (- for standard input), as\n"
                   "      the paste panel does: lines without \"http://\" and the site's name are passed over"),
    runPaste,
    QString(),
    {QStringLiteral("settings"), QStringLiteral("out"), QStringLiteral("retries"), QStringLiteral("size")},
});

const TCliRegistration resumeRegistration({
    QStringLiteral("resume"),
    QString(),
    QStringLiteral("takes up the lines an interrupted or failed run left, and downloads them"),
    runResume,
    QString(),
    {QStringLiteral("settings"), QStringLiteral("out"), QStringLiteral("retries")},
});

const TCliRegistration discardRegistration({
    QStringLiteral("discard"),
    QString(),
    QStringLiteral("drops the lines an interrupted or failed run left"),
    runDiscard,
    QString(),
    {QStringLiteral("settings")},
});

} // namespace

} // namespace orvix::cli
