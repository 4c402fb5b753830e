// The photo site for the end-to-end benchmark: serves a site with enough public pictures,
// writes the picture pages to download (one address a line) and, for the curl reference, the
// same requests the downloader makes for each picture (picture page, sizes page, the second
// sizes page when the first does not show the largest size, the file), then serves until it is
// told to stop.
//   e2e_bench_site PICTURES FILE_BYTES OUT_FOLDER
// prints the port on the first line of stdout once the files are written.

#include "photosite/photo_site_server.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <unistd.h>

using namespace orvix::photosite;

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onStop(int)
{
    g_stop = 1;
}

bool writeLines(const QString &path, const QStringList &lines)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(lines.join(u'\n').toUtf8() + '\n');
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: e2e_bench_site PICTURES FILE_BYTES OUT_FOLDER\n");
        return 2;
    }
    const int wanted = QString::fromLocal8Bit(argv[1]).toInt();
    ServerOptions options;
    options.site.largestFileBytes = QString::fromLocal8Bit(argv[2]).toLongLong();
    options.site.owners = 4;
    options.site.photosPerOwner = wanted / 3; // a private picture now and then
    PhotoSiteServer site(options);
    site.start();

    QStringList pages;
    QStringList requests; // one line per picture: its addresses, blank-separated
    for (const ManifestPicture &p : site.manifest().pictures) {
        if (p.isPrivate || pages.size() == wanted)
            continue;
        const Picture &model = *site.site().pictureById(p.id);
        QStringList urls{p.pageUrl, p.sizesPageUrl};
        if (model.sizesPageShows != model.sizes.size() - 1)
            urls << p.sizes.last().pageUrl;
        urls << p.largestFileUrl;
        pages << p.pageUrl;
        requests << urls.join(u' ');
    }
    const QString out = QString::fromLocal8Bit(argv[3]);
    if (pages.size() < wanted || !writeLines(out + QStringLiteral("/pages.txt"), pages)
        || !writeLines(out + QStringLiteral("/requests.txt"), requests)) {
        std::fprintf(stderr, "e2e_bench_site: the site has only %d public pictures\n", int(pages.size()));
        return 1;
    }
    std::printf("%d\n", site.port());
    std::fflush(stdout);

    std::signal(SIGTERM, onStop);
    std::signal(SIGINT, onStop);
    while (!g_stop)
        ::usleep(100000);
    return 0;
}
