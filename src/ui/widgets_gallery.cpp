#include "widgets_gallery.h"

#include "widgets/caption_panel.h"
#include "widgets/directory_edit.h"
#include "widgets/link_label.h"
#include "widgets/list_box_ex.h"
#include "widgets/list_view_ex.h"
#include "widgets/nav_bar.h"
#include "widgets/spin_edit_ex.h"
#include "widgets/tab_sheet_x.h"
#include "widgets/varnel_page_control_x.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace orvix {

namespace {

QGroupBox *group(const QString &title, QWidget *parent)
{
    auto *box = new QGroupBox(title, parent);
    return box;
}

QWidget *listViews(QWidget *parent)
{
    QGroupBox *box = group(QStringLiteral("TListViewEx / TListBoxEx"), parent);
    auto *layout = new QHBoxLayout(box);
    auto *lv = new TListViewEx(box);
    lv->LoadColumns({QStringLiteral("url:190:L:0"), QStringLiteral("status:70:L:1"), QStringLiteral("size:60:R:2")});
    lv->AddToTop = true;
    const char *rows[][3] = {{"http://site/photos/ann/1001/", "done", "2,310"},
                             {"http://site/photos/ann/1002/", "done", "1,954"},
                             {"http://site/photos/bob/2001/", "failed", ""},
                             {"http://site/photos/bob/2002/", "queued", ""},
                             {"http://site/photos/cy/3001/", "working", "812"}};
    for (const auto &r : rows)
        lv->AddRange({QString::fromLatin1(r[0]), QString::fromLatin1(r[1]), QString::fromLatin1(r[2])});
    lv->SelectItemIdCentered(lv->IndexOf_CI(QStringLiteral("http://site/photos/bob/2001/")));
    layout->addWidget(lv, 3);
    auto *lb = new TListBoxEx(box);
    for (int i = 1; i <= 12; ++i)
        lb->addItem(QStringLiteral("log line %1").arg(i));
    lb->setCurrentRow(2);
    layout->addWidget(lb, 1);
    return box;
}

QWidget *linkLabels(QWidget *parent)
{
    QGroupBox *box = group(QStringLiteral("TVarnelLinkLabel"), parent);
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(new TVarnelLinkLabel(QStringLiteral("<a href=><u>&lt;&lt; Back"), box));
    layout->addWidget(new TVarnelLinkLabel(QStringLiteral("Delete <x>"), box));
    layout->addWidget(new TVarnelLinkLabel(QStringLiteral("Plain text &copy; 2026"), box));
    layout->addWidget(new TVarnelLinkLabel(
        QStringLiteral("<b>Bold</b>, <i>italic</i>, <s>struck</s> and <F BGCOLOR=#80FFFF>marked</F><HR>"
                       "<AL CENTER>centred line<BR><AL LEFT><IN IND=30>indented and <F SIZE=3>big"),
        box));
    auto *disabled = new TVarnelLinkLabel(QStringLiteral("Disabled <F SIZE=3>label</F>"), box);
    disabled->setEnabled(false);
    layout->addWidget(disabled);
    layout->addStretch(1);
    return box;
}

QWidget *pages(QWidget *parent)
{
    QGroupBox *box = group(QStringLiteral("TVarnelNavBar / TVarnelPageControlX / TPageControlK"), parent);
    auto *layout = new QHBoxLayout(box);

    auto *pc = new TVarnelPageControlX(box);
    for (const QString &caption : {QStringLiteral("General"), QStringLiteral("Browsing"), QStringLiteral("x,Folders"),
                                   QStringLiteral("Other")}) {
        TTabSheetX *page = pc->AddPage(caption);
        auto *pageLayout = new QVBoxLayout(page);
        pageLayout->addWidget(new QLabel(QStringLiteral("Page \u201C%1\u201D (tabs hidden)").arg(caption), page));
        pageLayout->addStretch(1);
    }
    pc->setHideAllTabs(true);

    auto *classic = new TVarnelNavBar(box);
    classic->setTitle(QStringLiteral("Settings"));
    classic->setPagecontrol(pc);
    classic->setFixedWidth(150);
    auto *tree = new TVarnelNavBar(box);
    tree->setPagecontrol(pc);
    tree->setKind(navTree);
    tree->setFixedWidth(120);
    auto *radio = new TVarnelNavBar(box);
    radio->setPagecontrol(pc);
    radio->setKind(navRadio);
    radio->setFixedWidth(120);
    pc->Loaded(); // the bars are hooked: loading shows the first page and marks its entries
    pc->SetTab(1);

    auto *tabs = new TVarnelPageControlX(box);
    for (const QString &caption : {QStringLiteral("Log"), QStringLiteral("Debug"), QStringLiteral("Queue")}) {
        TTabSheetX *page = tabs->AddPage(caption);
        auto *pageLayout = new QVBoxLayout(page);
        pageLayout->addWidget(new QPlainTextEdit(QStringLiteral("%1 page with its tab").arg(caption), page));
    }
    tabs->Pages(1)->setHighlighted(true);
    tabs->Loaded();

    layout->addWidget(classic);
    layout->addWidget(tree);
    layout->addWidget(radio);
    layout->addWidget(pc, 1);
    layout->addWidget(tabs, 1);
    return box;
}

QWidget *captionPanels(QWidget *parent)
{
    QGroupBox *box = group(QStringLiteral("TCaptionPanelK"), parent);
    box->setMinimumHeight(200);
    auto *area = new QWidget(box);
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(area);
    auto *messages = new TCaptionPanelK(QStringLiteral("Messages"), area);
    auto *text = new QPlainTextEdit(QStringLiteral("12:00: Saved 3 pictures\n12:01: Queue finished"), messages);
    messages->contentLayout()->addWidget(text);
    messages->setGeometry(10, 10, 300, 150);
    auto *fixed = new TCaptionPanelK(QStringLiteral("Download Multiple Pictures (tag 888)"), area);
    fixed->setTag(TCaptionPanelK::kNoSizingFrameTag);
    fixed->setCaptionColor(QColor(0x2E, 0x7D, 0x32));
    fixed->contentLayout()->addWidget(new QLabel(QStringLiteral("No sizing frame"), fixed));
    fixed->setGeometry(330, 30, 280, 120);
    return box;
}

QWidget *editBoxes(QWidget *parent)
{
    QGroupBox *box = group(QStringLiteral("TSpinEditEx / TVarnelDirectoryEdit / TVarnelFilenameEdit"), parent);
    auto *form = new QFormLayout(box);
    auto *plainNumber = new TSpinEditEx(box);
    plainNumber->setValue(386);
    form->addRow(QStringLiteral("Left:"), plainNumber);
    auto *decimals = new TSpinEditEx(box);
    decimals->setDecimals(2);
    decimals->setValue(2.999);
    form->addRow(QStringLiteral("Two decimals (2.999):"), decimals);
    auto *thousands = new TSpinEditEx(box);
    thousands->setDecimals(1);
    thousands->setThousands(true);
    thousands->setValue(1234567.5);
    form->addRow(QStringLiteral("Thousands:"), thousands);
    auto *noButton = new TSpinEditEx(box);
    noButton->setShowButton(false);
    noButton->setValue(70);
    form->addRow(QStringLiteral("Without button:"), noButton);
    auto *folder = new TVarnelDirectoryEdit(box);
    folder->setText(QStringLiteral("/home/user/Pictures/Orvix/"));
    form->addRow(QStringLiteral("Output folder:"), folder);
    auto *file = new TVarnelFilenameEdit(box);
    file->setText(QStringLiteral("/home/user/page.html"));
    form->addRow(QStringLiteral("File:"), file);
    return box;
}

} // namespace

TWidgetsGallery::TWidgetsGallery(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Orvix widgets"));
    auto *grid = new QGridLayout(this);
    grid->addWidget(listViews(this), 0, 0);
    grid->addWidget(linkLabels(this), 0, 1);
    grid->addWidget(pages(this), 1, 0, 1, 2);
    grid->addWidget(captionPanels(this), 2, 0);
    grid->addWidget(editBoxes(this), 2, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    resize(1200, 820);
}

} // namespace orvix
