#pragma once

// The floating "Favorites" panel: pages of the photo site the user keeps, in the order added
// unless moved. The list is one of the application settings ("lvFavorites.Items") and is written
// after every change, so other running copies see it on their next activation.

#include "widgets/caption_panel.h"

#include <functional>

class QPushButton;

namespace orvix {

class TListViewEx;
class TVarnelLinkLabel;

// What the panel needs from the window.
struct TFavoritesHost
{
    std::function<QString()> address;          // the address box
    std::function<QString()> pageTitle;        // the last title the browser reported
    std::function<void(const QString &)> open; // into the address box, and opened
    std::function<void()> save;                // writes the application settings
};

class TFavoritesPanel : public TCaptionPanelK
{
    Q_OBJECT
public:
    TFavoritesPanel(TFavoritesHost host, QWidget *parent);

    TListViewEx *lvFavorites() const { return m_lvFavorites; }

    void bAddToFavoritesClick();
    // bFavoritesClick, miFavoritesClick: shown centred when hidden, else left as it is.
    void bFavoritesClick();
    void bOpenFavoriteClick();
    void bFavotite_EditCommentClick();
    void MoveSelected(int direction); // +1 down, -1 up
    void bFavorite_DeleteClick();

private:
    TVarnelLinkLabel *link(const QString &name, const QString &text);

    TFavoritesHost m_host;
    TListViewEx *m_lvFavorites;
};

} // namespace orvix
