// A running copy of the program as far as sessions go: takes a slot in the settings folder
// given by ORVIX_SETTINGS, then queues lines when asked on stdin, one command per line:
//   media N   queue N media lines        page N   queue N page lines
//   search    print the incomplete session this copy would offer, with its entries
//   flood     queue media lines until killed
// Lines are numbered from 1 and carry the tag given as the first argument. Answers "ok" (or
// "found NAME" / "found -", "entry LINE" before it) after each command.

#include "foundation/paths.h"
#include "foundation/run_control.h"
#include "queue/download_session.h"
#include "queue/incomplete_session.h"
#include "queue/picture_records.h"
#include "queue/queue_state.h"
#include "queue/queue_view.h"

#include <iostream>
#include <string>

using namespace orvix;

namespace {

struct NoPictures : IPictureRecords
{
    bool IsAlreadyDownloaded(const QString &) override { return false; }
    void RecordQueuedPicture(const TImageData &) override {}
    void RecordFoundPicture(const TImageData &, const QString &) override {}
};

void say(const QString &text)
{
    std::cout << text.toStdString() << std::endl;
}

} // namespace

int main(int argc, char **argv)
{
    const QString tag = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("x");
    DownloadSession session;
    if (!session.Start())
        return 1;
    NullQueueView view;
    NoPictures pictures;
    RunControl run(GetSettingsFolder());
    QueueState queues(run, session.folders(), view, pictures);
    say(QStringLiteral("slot ") + session.SessionName);

    int media = 0;
    int pages = 0;
    const auto queueMedia = [&] {
        const QString n = QString::number(++media);
        queues.QueuePicture(QStringLiteral("http://img/%1-%2.jpg").arg(tag, n), n, QStringLiteral("s") + n,
                            tag + QStringLiteral(" picture ") + n, QString(),
                            QStringLiteral("http://h/photos/%1/%2/").arg(tag, n), QStringLiteral("/pics/"),
                            QString(), view);
    };
    std::string command;
    while (std::getline(std::cin, command)) {
        const QStringList words = QString::fromStdString(command).split(u' ', Qt::SkipEmptyParts);
        if (words.isEmpty())
            continue;
        const int count = words.size() > 1 ? words[1].toInt() : 0;
        if (words[0] == u"media") {
            for (int i = 0; i < count; ++i)
                queueMedia();
        } else if (words[0] == u"page") {
            for (int i = 0; i < count; ++i) {
                const QString url = QStringLiteral("http://h/photos/%1/set/%2/").arg(tag).arg(++pages);
                queues.QueuePage(url, url + QStringLiteral("|id:2|2|tags|/pics/"));
            }
        } else if (words[0] == u"search") {
            const auto found = FindIncompleteSession(session.sessionsFolder(), queues.itemFiles());
            for (const QString &entry : found ? found->entries() : QStringList())
                say(QStringLiteral("entry ") + entry);
            say(QStringLiteral("found ") + (found ? found->name() : QStringLiteral("-")));
        } else if (words[0] == u"flood") {
            say(QStringLiteral("ok"));
            for (;;)
                queueMedia();
        }
        say(QStringLiteral("ok"));
    }
    return 0;
}
