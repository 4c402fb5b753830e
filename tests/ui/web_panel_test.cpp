// The web panel on its own, with a scripted window around it: frames and layouts, the frames'
// menu, page navigation, page ranges and the display of thumbnails.
#include "test_support.h"

#include "ui/web_panel.h"
#include "ui/web_panel_host.h"
#include "ui/widgets/caption_panel.h"
#include "ui/widgets/image_x.h"

#include "foundation/desktop.h"
#include "foundation/dialogs.h"
#include "pages/parse_reports.h"
#include "pages/site.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpontaneKeyEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace orvix;

namespace {

struct ScriptedHost : IWebPanelHost
{
    QStringList queued;    // lines
    QStringList navigated;
    QStringList queuedTexts; // what counts as queued
    QMap<QString, QString> keys;  // page URL -> picture key
    QMap<QString, QString> files; // picture key -> saved file
    QString address;
    TPageNumbering numbering;
    TLogParseReports reports_;

    QString ensuredPicturesFolder() override { return QStringLiteral("/pictures"); }
    void queuePage(const QString &, const QString &line) override { queued << line; }
    bool isQueued(const QString &text) override
    {
        for (const QString &q : queuedTexts)
            if (q.contains(text))
                return true;
        return false;
    }
    QString pictureKeyByPageUrl(const QString &url) override { return keys.value(url); }
    QString findLocalFileByKey(const QString &key) override { return files.value(key); }
    bool showQueued(int) override { return true; }
    void debugMsg(const QString &) override {}
    void navigate(const QString &url) override { navigated << url; }
    QString addressText() override { return address; }
    QString currentUrl() override { return address; }
    TPageNumbering &pageNumbering() override { return numbering; }
    IParseReports &reports() override { return reports_; }
    void reparse() override {}
    void maximizePanel() override {}
    void closePanel() override {}
    void focusPanel() override {}
    void subfolderChanged(const QString &) override {}
};

struct Panel
{
    Panel() : panel(host, requests, nullptr) { SetSiteHost(QStringLiteral("site.example")); }
    ~Panel() { SetSiteHost(QString()); }
    ScriptedHost host;
    TThumbnailRequests requests;
    TFrameWebPanel panel;
};

TWebFrameEntryList entries(int n)
{
    TWebFrameEntryList list;
    for (int i = 1; i <= n; ++i)
        list.Add(QStringLiteral("http://site.example/photos/a/%1/").arg(i), QStringLiteral("http://img.example/%1_s.jpg").arg(i),
                 QStringLiteral("title %1").arg(i));
    return list;
}

} // namespace

TEST(WebPanel, EntriesWithoutBothAddressesGetNoFrameAndTheNumbersStayConsecutive)
{
    Panel p;
    TWebFrameEntryList list;
    list.Add(QStringLiteral("http://site.example/photos/a/1/"), QStringLiteral("http://img.example/1_s.jpg"), QString());
    list.Add(QStringLiteral("http://site.example/photos/a/2/"), QString(), QStringLiteral("no thumbnail"));
    list.Add(QString(), QStringLiteral("http://img.example/3_s.jpg"), QStringLiteral("no page"));
    list.Add(QStringLiteral("http://site.example/photos/a/4/"), QStringLiteral("http://img.example/4_s.jpg"), QStringLiteral("four"));
    p.panel.CreateFrames(list, 1);

    const QList<TFrameWebFrame *> f = p.panel.frames();
    ASSERT_EQ(f.size(), 2);
    EXPECT_EQ(f[0]->objectName(), QStringLiteral("frame_thumb_1"));
    EXPECT_EQ(f[1]->objectName(), QStringLiteral("frame_thumb_2"));
    EXPECT_EQ(f[1]->PhotoUrl, QStringLiteral("http://site.example/photos/a/4/"));
    EXPECT_EQ(f[1]->WebImage->toolTip(), QStringLiteral("four"));
    EXPECT_EQ(p.requests.ThumbnailRequests.Text(),
              QStringLiteral("frame_thumb_1|http://img.example/1_s.jpg\r\nframe_thumb_2|http://img.example/4_s.jpg\r\n"));

    // The same list again: nothing rebuilt, nothing asked for again.
    const int batch = p.requests.ThumbnailBatchId;
    p.panel.CreateFrames(list, 1);
    EXPECT_EQ(p.panel.frames(), f);
    EXPECT_EQ(p.requests.ThumbnailBatchId, batch);
    EXPECT_EQ(p.requests.ThumbnailRequests.Count(), 2);

    // Another list: a new batch, the pending requests of the old one dropped.
    p.panel.CreateFrames(entries(3), 1);
    EXPECT_EQ(p.requests.ThumbnailBatchId, batch + 1);
    EXPECT_EQ(p.requests.ThumbnailRequests.Count(), 3);
    EXPECT_EQ(p.panel.frames().size(), 3);
}

TEST(WebPanel, LayoutsPlaceTheFramesInRowsAndSizeTheFlowPanel)
{
    struct Case
    {
        int size, count;
        QSize frame, border;
        int perRow, flowWidth, flowHeight;
    } cases[] = {
        // The flow panel ends 10 pixels below the lowest frame (frames 3 pixels apart from the edge).
        {1, 13, {100, 100}, {85, 85}, 6, 653, 3 + 2 * 106 + 100 + 10},
        {2, 4, {240, 240}, {220, 220}, 3, 793, 3 + 246 + 240 + 10},
        {3, 7, {110, 110}, {100, 100}, 6, 700, 3 + 116 + 110 + 10},
        {9, 4, {}, {}, 0, 0, 0},
    };
    for (const Case &c : cases) {
        Panel p;
        p.panel.CreateFrames(entries(c.count), c.size);
        const QList<TFrameWebFrame *> f = p.panel.frames();
        if (c.perRow == 0) {
            EXPECT_TRUE(f.isEmpty());
            continue;
        }
        ASSERT_EQ(f.size(), c.count);
        EXPECT_EQ(f[0]->size(), c.frame);
        EXPECT_EQ(f[0]->panelBorder->size(), c.border);
        EXPECT_EQ(f[c.perRow - 1]->y(), f[0]->y()) << c.size;
        EXPECT_GT(f[c.perRow]->y(), f[0]->y()) << c.size; // the next row
        EXPECT_EQ(f[c.perRow]->x(), f[0]->x()) << c.size;
        EXPECT_EQ(p.panel.FlowPanel1()->width(), c.flowWidth);
        EXPECT_EQ(p.panel.FlowPanel1()->height(), c.flowHeight) << c.size;
    }
}

TEST(WebPanel, ThumbnailsOfAnOlderBatchOrAGoneFrameAreNotShown)
{
    Panel p;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("IeThumb_1_.jpg"));
    QImage picture(200, 100, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    ASSERT_TRUE(picture.save(file, "jpeg"));

    p.panel.CreateFrames(entries(2), 1);
    TFrameWebFrame *f = p.panel.frames()[0];
    const int batch = p.requests.ThumbnailBatchId;
    p.panel.showThumbnail(QStringLiteral("frame_thumb_1"), file, batch - 1);
    p.panel.showThumbnail(QStringLiteral("frame_thumb_9"), file, batch);
    EXPECT_TRUE(f->WebImage->bitmap().isNull());
    EXPECT_FALSE(f->edLoading->isHidden());

    p.panel.showThumbnail(QStringLiteral("frame_thumb_1"), file, batch);
    EXPECT_TRUE(f->edLoading->isHidden());
    // Best fit into the room inside the border: 79 x 79 for the small layout.
    EXPECT_EQ(f->WebImage->bitmap().size(), QSize(79, 39));
}

TEST(WebPanel, TheFramesMenuActsOnThePictureUnderTheMouse)
{
    Panel p;
    p.panel.CreateFrames(entries(2), 1);
    TFrameWebFrame *f = p.panel.frames()[1];
    p.panel.setHoverFrame(f);
    QMenu *menu = p.panel.popupWebFrame();
    Q_EMIT menu->aboutToShow();
    EXPECT_FALSE(p.panel.action(QStringLiteral("miOpenSavedPicture"))->isEnabled());
    EXPECT_FALSE(p.panel.action(QStringLiteral("miLocateInExplorer"))->isEnabled());

    f->LocalFn = QStringLiteral("/pictures/2_x title 2.jpg");
    Q_EMIT menu->aboutToShow();
    EXPECT_TRUE(p.panel.action(QStringLiteral("miOpenSavedPicture"))->isEnabled());
    EXPECT_TRUE(p.panel.action(QStringLiteral("miLocateInExplorer"))->isEnabled());

    p.panel.action(QStringLiteral("piCopyDetails"))->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("Page url: http://site.example/photos/a/2/\r\nThumbnail url: http://img.example/2_s.jpg\r\n"
                             "Local file: /pictures/2_x title 2.jpg\r\nTitle: title 2\r\n"));
    p.panel.action(QStringLiteral("miOpenInOrvix"))->trigger();
    EXPECT_EQ(p.host.navigated, QStringList{QStringLiteral("http://site.example/photos/a/2/")});
}

TEST(WebPanel, PageButtonsAndMenusFollowThePaginator)
{
    Panel p;
    TPageNumbering &n = p.host.numbering;
    n.PrevPageUrl = QStringLiteral("/photos/a/sets/7/page2/?x=1&amp;y=2");
    n.NextPageUrl = QStringLiteral("/photos/a/sets/7/page4/");
    n.FirstPageUrl = QStringLiteral("/photos/a/sets/7/page1/");
    n.LastPageUrl = QStringLiteral("http://site.example/photos/a/sets/7/page5/");
    n.CurrentPageNo = 3;
    n.LastPageNo = 5;
    n.PageUrlTemplate = QStringLiteral("/photos/a/sets/7/page[PAGE_NO]/");
    TPagingView view;
    view.PrevEnabled = view.NextEnabled = view.PagesMenusEnabled = true;
    view.PrevCaption = QStringLiteral("< 2");
    view.NextCaption = QStringLiteral("4 >");
    view.CurrentPageText = QStringLiteral("3");
    view.SubmitPageVisible = false;
    view.GotoPageItems = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("> 3 <"), QStringLiteral("4"), QStringLiteral("5")};
    view.LastPageCaption = QStringLiteral("Goto Last page (5)");
    view.SavePagesBeforeCaption = QStringLiteral("Save pages 1 to 3");
    view.SavePagesAfterCaption = QStringLiteral("Save pages 3 to 5");
    p.panel.ApplyPaging(view);

    EXPECT_EQ(p.panel.bPage_Prev()->text(), QStringLiteral("< 2"));
    EXPECT_TRUE(p.panel.bGotoPage()->isEnabled());
    EXPECT_TRUE(p.panel.bSavePopup()->isEnabled());
    EXPECT_TRUE(p.panel.findChild<QToolButton *>(QStringLiteral("bSubmitPage2"))->isHidden());
    EXPECT_EQ(p.panel.lblCurrentPage()->text(), QStringLiteral("3"));
    EXPECT_EQ(p.panel.action(QStringLiteral("piSavePagesAfterX"))->text(), QStringLiteral("Save pages 3 to 5"));
    EXPECT_EQ(p.panel.action(QStringLiteral("piLastPage"))->text(), QStringLiteral("Goto Last page (5)"));
    ASSERT_EQ(p.panel.piGotoPage()->actions().size(), 5);
    EXPECT_EQ(p.panel.piGotoPage()->actions()[2]->text(), QStringLiteral("> 3 <"));

    p.panel.bPage_Prev()->click();
    p.panel.bPage_Next()->click();
    p.panel.action(QStringLiteral("piFirstPage"))->trigger();
    p.panel.action(QStringLiteral("piLastPage"))->trigger();
    p.panel.piGotoPage()->actions()[3]->trigger();
    const QString root = QStringLiteral("http://site.example");
    EXPECT_EQ(p.host.navigated, (QStringList{root + QStringLiteral("/photos/a/sets/7/page2/?x=1&y=2"),
                                             root + QStringLiteral("/photos/a/sets/7/page4/"),
                                             root + QStringLiteral("/photos/a/sets/7/page1/"),
                                             root + QStringLiteral("/photos/a/sets/7/page5/"),
                                             root + QStringLiteral("/photos/a/sets/7/page4/")}));
    EXPECT_EQ(n.PrevPageUrl, QStringLiteral("/photos/a/sets/7/page2/?x=1&y=2")); // decoded and kept

    // A page without a paginator: everything off again.
    p.panel.ApplyPaging(TPagingView());
    EXPECT_FALSE(p.panel.bPage_Prev()->isEnabled());
    EXPECT_FALSE(p.panel.bGotoPage()->isEnabled());
    EXPECT_FALSE(p.panel.bSavePopup()->isEnabled());
    EXPECT_TRUE(p.panel.piGotoPage()->actions().isEmpty());
}

TEST(WebPanel, SavePagesQueuesTheRangeOfTheItemAsked)
{
    struct Case
    {
        const char *item;
        QString question;
        QList<int> pages;
    } cases[] = {
        {"piSavePagesBefore", QStringLiteral("Are you sure you want to download pages 1 to 3?"), {1, 2, 3}},
        {"piSavePagesBeforeX", QStringLiteral("Are you sure you want to download pages 1 to 3?"), {1, 2, 3}},
        {"piSavePagesAfter", QStringLiteral("Are you sure you want to download pages 3 to 5?"), {3, 4, 5}},
        {"piSavePagesAllX", QStringLiteral("Are you sure you want to download all 5 pages?"), {1, 2, 3, 4, 5}},
    };
    for (const Case &c : cases) {
        Panel p;
        p.host.numbering.CurrentPageNo = 3;
        p.host.numbering.LastPageNo = 5;
        p.host.numbering.LastPageUrl = QStringLiteral("/photos/a/sets/7/page5/");
        p.host.numbering.NextPageUrl = QStringLiteral("/photos/a/sets/7/page4/");
        p.panel.edImageTags2()->setText(QStringLiteral("a|b"));
        ScriptedDialogs dialogs;
        dialogs.answerOk = true;
        ScopedDialogs installed(dialogs);
        p.panel.action(QLatin1String(c.item))->trigger();
        EXPECT_EQ(dialogs.shown(), QStringList{QStringLiteral("question: ") + c.question}) << c.item;
        QStringList expected;
        for (int n : c.pages)
            expected << QStringLiteral("http://site.example/photos/a/sets/7/page%1/|id:2|0|a_b|/pictures/").arg(n);
        EXPECT_EQ(p.host.queued, expected) << c.item;
    }

    // Asked by anything else, or answered No: nothing queued.
    Panel p;
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    p.panel.bSaveAllPagesClick(p.panel.findChild<QPushButton *>(QStringLiteral("bSaveAllPages")));
    p.panel.action(QStringLiteral("piSavePagesAll"))->trigger();
    EXPECT_EQ(dialogs.shown(), (QStringList{QStringLiteral("info: Unknown request"),
                                            QStringLiteral("question: Are you sure you want to download all 0 pages?")}));
    EXPECT_TRUE(p.host.queued.isEmpty());
}

TEST(WebPanel, SelectionButtonsOnlyAnswerTheirOwnSender)
{
    Panel p;
    ScriptedDialogs dialogs;
    ScopedDialogs installed(dialogs);
    p.panel.CreateFrames(entries(2), 1);
    p.panel.SelectClick(&p.panel);
    EXPECT_EQ(dialogs.shown(), QStringList{QStringLiteral("info: unknown sender")});
    EXPECT_FALSE(p.panel.frames()[0]->selected());
}

TEST(WebPanel, AClickOnAPictureInsideTheFloatingPanelSelectsIt)
{
    ScriptedHost host;
    TThumbnailRequests requests;
    QWidget window;
    window.resize(800, 600);
    auto *caption = new TCaptionPanelK(QStringLiteral("Download Multiple Pictures"), &window);
    auto *panel = new TFrameWebPanel(host, requests, caption);
    caption->contentLayout()->addWidget(panel);
    caption->setGeometry(20, 20, 700, 500);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    panel->CreateFrames(entries(2), 1);
    TFrameWebFrame *f = panel->frames()[1];
    QTest::mouseClick(f->WebImage, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_TRUE(f->selected());
    EXPECT_EQ(f->borderColour(), TFrameWebFrame::kSelectedColour);
    QTest::mouseClick(f->WebImage, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_FALSE(f->selected());
    EXPECT_EQ(caption->pos(), QPoint(20, 20)); // not dragged
}

TEST(WebPanel, TheWheelScrollsThePicturesByAThirdOfItsDistance)
{
    Panel p;
    p.panel.resize(700, 300);
    p.panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&p.panel));
    p.panel.CreateFrames(entries(60), 1);
    QScrollBar *bar = p.panel.sbSelectPictures()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 400);
    QWidget *over = p.panel.frames()[12]->WebImage; // a picture: the wheel reaches the area through it
    const auto turn = [&](int delta) {
        const QPointF at(10, 10);
        QWheelEvent e(at, over->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        // As from the window system: only such an event is passed up from the picture to the area.
        QSpontaneKeyEvent::setSpontaneous(&e);
        qApp->notify(over, &e);
    };
    struct Case
    {
        QList<int> deltas;
        int moved;
    } cases[] = {
        {{-120}, 40}, // a notch towards the user: down
        {{360}, -120},
        {{-1, -1, -1, -2}, 1}, // a fine wheel's small turns add up; 2 of 3 are kept
        {{-1}, 1},             // and count with the next turn
    };
    for (const Case &c : cases) {
        bar->setValue(200);
        for (int d : c.deltas)
            turn(d);
        EXPECT_EQ(bar->value() - 200, c.moved) << c.deltas.size() << " turns";
    }
}

TEST(WebPanel, AFrameShownQueuedLooksAgainOnceItsLineLeavesTheQueues)
{
    // Only a save refreshes the frames; a line that leaves the queues otherwise (the file was
    // there already, the download failed) must not stay "queued".
    Panel p;
    p.panel.queuedCheck()->setInterval(5);
    p.panel.CreateFrames(entries(3), 1);
    const QList<TFrameWebFrame *> f = p.panel.frames();
    p.host.queuedTexts = {f[0]->PhotoUrl, f[1]->PhotoUrl};
    p.panel.bRefreshStatusClick();
    ASSERT_EQ(f[0]->edFrameStatus->text(), QStringLiteral("queued"));
    ASSERT_EQ(f[1]->edFrameStatus->text(), QStringLiteral("queued"));
    EXPECT_TRUE(f[2]->edFrameStatus->isHidden());

    p.host.queuedTexts = {f[1]->PhotoUrl};
    p.host.keys[f[0]->PhotoUrl] = QStringLiteral("1_abc");
    p.host.files[QStringLiteral("1_abc")] = QStringLiteral("/pictures/1_abc.jpg");
    EXPECT_TRUE(test::waitUntil([&] { return f[0]->edFrameStatus->text() == u"saved"; }, 5000));
    EXPECT_EQ(f[1]->edFrameStatus->text(), QStringLiteral("queued"));
    EXPECT_TRUE(p.panel.queuedCheck()->isActive());

    p.host.queuedTexts.clear();
    EXPECT_TRUE(test::waitUntil([&] { return f[1]->edFrameStatus->isHidden(); }, 5000));
    EXPECT_NE(f[1]->borderColour(), TFrameWebFrame::kQueuedColour);
    EXPECT_FALSE(p.panel.queuedCheck()->isActive()); // nothing left to look at
}

TEST(WebPanelPlace, PanelIsKeptWithinTheBrowser)
{
    const QRect browser(0, 134, 1280, 520); // bottom 653, right 1279
    const struct { QRect panel, browser, expected; const char *why; } cases[] = {
        {{60, 150, 700, 400}, browser, {60, 150, 700, 400}, "inside: left as the user placed it"},
        {{60, 54, 700, 600}, browser, {60, 54, 700, 600}, "maximized: over the top panel, ending at the strips"},
        {{60, 120, 700, 600}, browser, {60, 120, 700, 534}, "reaching over the strips: shorter"},
        {{60, 500, 700, 400}, browser, {60, 404, 700, 250}, "too low for a usable height: moved up"},
        {{900, 150, 700, 400}, browser, {880, 150, 400, 400}, "past the right edge: narrower, then moved left"},
        {{60, 150, 700, 400}, {0, 134, 1280, 150}, {60, 134, 700, 150}, "a browser lower than usable: its height"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FitWebPanelIntoBrowser(c.panel, c.browser), c.expected) << c.why;
}
