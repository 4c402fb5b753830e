#include "favorites_panel.h"

#include "widgets/link_label.h"
#include "widgets/list_view_ex.h"

#include "foundation/dialogs.h"
#include "foundation/errors.h"
#include "foundation/main_thread_call.h"
#include "library/favorites.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvix {

TFavoritesPanel::TFavoritesPanel(TFavoritesHost host, QWidget *parent)
    : TCaptionPanelK(QStringLiteral("Favorites"), parent), m_host(std::move(host))
{
    setObjectName(QStringLiteral("panelFavorites"));

    m_lvFavorites = new TListViewEx(this);
    m_lvFavorites->setObjectName(QStringLiteral("lvFavorites"));
    m_lvFavorites->LoadColumns({QStringLiteral("Location:300:L:0"), QStringLiteral("Comments:200:L:1"),
                                QStringLiteral("Date added:120:L:2")});
    m_lvFavorites->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lvFavorites->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lvFavorites->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lvFavorites->setRootIsDecorated(false);
    connect(m_lvFavorites, &QAbstractItemView::doubleClicked, this, &TFavoritesPanel::bOpenFavoriteClick);

    auto *links = new QHBoxLayout;
    connect(link(QStringLiteral("bFavotite_EditComment"), QStringLiteral("Edit comment")), &TVarnelLinkLabel::clicked,
            this, &TFavoritesPanel::bFavotite_EditCommentClick);
    connect(link(QStringLiteral("bFavorite_MoveUp"), QStringLiteral("Move up")), &TVarnelLinkLabel::clicked, this,
            [this] { MoveSelected(-1); });
    connect(link(QStringLiteral("bFavorite_MoveDown"), QStringLiteral("Move down")), &TVarnelLinkLabel::clicked, this,
            [this] { MoveSelected(+1); });
    connect(link(QStringLiteral("bFavorite_Delete"), QStringLiteral("Delete")), &TVarnelLinkLabel::clicked, this,
            &TFavoritesPanel::bFavorite_DeleteClick);
    for (const char *name : {"bFavotite_EditComment", "bFavorite_MoveUp", "bFavorite_MoveDown", "bFavorite_Delete"})
        links->addWidget(findChild<TVarnelLinkLabel *>(QLatin1String(name)));
    links->addStretch(1);

    auto *open = new QPushButton(QStringLiteral("Open selected"), this);
    open->setObjectName(QStringLiteral("bOpenFavorite"));
    connect(open, &QPushButton::clicked, this, &TFavoritesPanel::bOpenFavoriteClick);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("bCloseFavorites"));
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    links->addWidget(open);
    links->addWidget(close);

    contentLayout()->addWidget(m_lvFavorites, 1);
    contentLayout()->addLayout(links);
    connect(this, &TCaptionPanelK::OnButtonClick, this, &QWidget::hide);
    connect(this, &TCaptionPanelK::OnMouseUp, this, [this] { MakeHeaderVisible(); });
    resize(660, 320);
    hide();
}

TVarnelLinkLabel *TFavoritesPanel::link(const QString &name, const QString &text)
{
    auto *label = new TVarnelLinkLabel(text + QStringLiteral("<x>"), this);
    label->setObjectName(name);
    return label;
}

void TFavoritesPanel::bAddToFavoritesClick()
{
    ORVIX_ASSERT_MAIN_THREAD();
    const QString address = m_host.address();
    if (m_lvFavorites->IndexOf_CI(address) >= 0) {
        InfoBox(QStringLiteral("URL is already in your favorites"));
        return;
    }
    m_lvFavorites->AddRange({address, m_host.pageTitle(), FavoriteDateNow()});
    m_host.save();
}

void TFavoritesPanel::bFavoritesClick()
{
    if (isVisible())
        return;
    CenterInParent();
    ShowInFront();
}

void TFavoritesPanel::bOpenFavoriteClick()
{
    const int row = m_lvFavorites->SelectedRow();
    if (row < 0)
        return;
    const QString caption = m_lvFavorites->GetLVLineAr(row).value(0);
    if (caption.isEmpty())
        return;
    m_host.open(FavoriteAddress(caption));
}

void TFavoritesPanel::bFavotite_EditCommentClick()
{
    const int row = m_lvFavorites->SelectedRow();
    if (row < 0)
        return;
    QString comment = m_lvFavorites->Model()->Text(row, 1);
    if (!InputText(QStringLiteral("Edit comment"), QStringLiteral("Comment"), comment))
        return;
    m_lvFavorites->Model()->SetText(row, 1, comment);
    m_host.save();
}

void TFavoritesPanel::MoveSelected(int direction)
{
    try {
        m_lvFavorites->MoveSelectedByX(direction);
    } catch (const EOrvix &e) {
        ErrorBox(e.message());
        return;
    }
    m_host.save();
}

void TFavoritesPanel::bFavorite_DeleteClick()
{
    const int row = m_lvFavorites->SelectedRow();
    if (row < 0)
        return;
    if (ConfirmOkCancel(this, QStringLiteral("You are about to delete the selected item. Click OK to continue."),
                        QStringLiteral("Favorites")))
        return;
    m_lvFavorites->RemoveRow(row);
    m_host.save();
}

} // namespace orvix
