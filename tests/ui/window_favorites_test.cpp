// Favorites inside real main windows: adding, refusing the same address, opening older entries,
// moving, editing, deleting, and a second instance that sees the first one's entry after it
// is activated. Each case starts the browser engine, so each runs in a process of its own.
#include "settings_window_fixture.h"
#include "test_support.h"

#include "library/qt_print.h"

#include "ui/favorites_panel.h"
#include "ui/top_bar.h"
#include "ui/widgets/link_label.h"
#include "ui/widgets/list_view_ex.h"

#include "app/program_settings.h"
#include "app/settings_values.h"
#include "app/varnel_project.h"

#include <QAction>
#include <QDateTime>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

using namespace orvix;
using orvix::test::SettingsWindows;

namespace {

// The list as rows of texts, caption first.
QList<QStringList> rows(TFavoritesPanel *panel)
{
    QList<QStringList> out;
    for (int row = 0; row < panel->lvFavorites()->RowCount(); ++row)
        out << panel->lvFavorites()->GetLVLineAr(row);
    return out;
}

QStringList captions(TFavoritesPanel *panel)
{
    QStringList out;
    for (const QStringList &row : rows(panel))
        out << row.value(0);
    return out;
}

void clickLink(TFavoritesPanel *panel, const char *name)
{
    auto *link = panel->findChild<TVarnelLinkLabel *>(QLatin1String(name));
    ASSERT_TRUE(link) << name;
    Q_EMIT link->clicked();
}

void select(TFavoritesPanel *panel, int row)
{
    panel->lvFavorites()->SelectRowsQuietly({row});
}

const QString kEarlier = QStringLiteral("2026-01-02 03:04:05");

} // namespace

class Favorites : public SettingsWindows
{
protected:
    // Not a first start, so no settings panel in the way; the list as an older release left it.
    void SetUp() override
    {
        SettingsWindows::SetUp();
        writeSettings({"[cbVersion1_0_0_10_initialized.Checked]", "1", "[lvFavorites.Items]",
                       ">" + EncodeListView({{page("/photos/old/") + " - Old title", {"kept", kEarlier}}})});
    }

    void add(TFormMain &w, const QString &address)
    {
        w.topBar()->edURL()->setText(address);
        w.topBar()->bAddToFavorites()->click();
    }
};

TEST_F(Favorites, AddingAppendsOnceAndRefusesTheSameAddressByCaseOrBlanks)
{
    TFormMain &w = start();
    TFavoritesPanel *panel = w.favoritesPanel();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(captions(panel), QStringList{page("/photos/old/") + " - Old title"});

    const QString alma = page("/photos/alma/");
    add(w, alma);
    const QList<QStringList> listed = rows(panel);
    ASSERT_EQ(listed.size(), 2);
    EXPECT_EQ(listed[1].value(0), alma);
    EXPECT_EQ(listed[1].value(1), w.PageTitle()); // what the browser reported, maybe nothing
    EXPECT_TRUE(QDateTime::fromString(listed[1].value(2), "yyyy-MM-dd hh:mm:ss").isValid()) << listed[1].value(2).toStdString();
    EXPECT_EQ(DecodeListView(stored("lvFavorites.Items")).value(1).caption, alma); // saved at once

    for (const QString &same : {alma.toUpper(), "  " + alma + "\t", page("/PHOTOS/Alma/")}) {
        dialogs.clear();
        add(w, same);
        EXPECT_EQ(dialogs.shown(), QStringList{"info: URL is already in your favorites"}) << same.toStdString();
    }
    EXPECT_EQ(rows(panel), listed);

    // Open from the menu and from the button: centred once, then left where it is.
    w.findChild<QAction *>(QStringLiteral("miFavorites"))->trigger();
    EXPECT_TRUE(panel->isVisible());
    panel->move(5, 5);
    w.topBar()->bFavorites()->click();
    EXPECT_EQ(panel->pos(), QPoint(5, 5));
    panel->findChild<QPushButton *>(QStringLiteral("bCloseFavorites"))->click();
    EXPECT_FALSE(panel->isVisible());
}

TEST_F(Favorites, AnOlderEntryOpensOnlyItsAddress)
{
    TFormMain &w = start();
    TFavoritesPanel *panel = w.favoritesPanel();
    w.topBar()->edURL()->setText(page("/somewhere/"));
    panel->findChild<QPushButton *>(QStringLiteral("bOpenFavorite"))->click(); // nothing selected
    EXPECT_EQ(w.topBar()->edURL()->text(), page("/somewhere/"));

    select(panel, 0);
    panel->findChild<QPushButton *>(QStringLiteral("bOpenFavorite"))->click();
    EXPECT_EQ(w.topBar()->edURL()->text(), page("/photos/old/"));
    EXPECT_TRUE(test::waitUntil([&] { return w.NavigationUrl().startsWith(page("/photos/old/")); }, 30000))
        << w.NavigationUrl().toStdString();
}

TEST_F(Favorites, MovingEditingAndDeletingChangeTheListAndSaveIt)
{
    TFormMain &w = start();
    TFavoritesPanel *panel = w.favoritesPanel();
    const QString a = page("/photos/a/"), b = page("/photos/b/");
    add(w, a);
    add(w, b);
    const QString old = page("/photos/old/") + " - Old title";
    const auto storedCaptions = [&] {
        QStringList out;
        for (const ListViewItem &item : DecodeListView(stored("lvFavorites.Items")))
            out << item.caption;
        return out;
    };

    select(panel, 0);
    clickLink(panel, "bFavorite_MoveUp"); // the first entry has nowhere to go
    EXPECT_EQ(captions(panel), (QStringList{old, a, b}));
    clickLink(panel, "bFavorite_MoveDown");
    EXPECT_EQ(captions(panel), (QStringList{a, old, b}));
    EXPECT_EQ(panel->lvFavorites()->SelectedRow(), 1);
    EXPECT_EQ(storedCaptions(), (QStringList{a, old, b}));
    select(panel, 2);
    clickLink(panel, "bFavorite_MoveDown"); // nor has the last
    EXPECT_EQ(storedCaptions(), (QStringList{a, old, b}));

    select(panel, 1);
    dialogs.answerOk = true;
    dialogs.inputAnswer = "my comment";
    clickLink(panel, "bFavotite_EditComment");
    EXPECT_EQ(rows(panel).value(1), (QStringList{old, "my comment", kEarlier}));
    EXPECT_EQ(DecodeListView(stored("lvFavorites.Items")).value(1).subItems, (QStringList{"my comment", kEarlier}));

    dialogs.clear();
    dialogs.answerOk = false;
    clickLink(panel, "bFavorite_Delete");
    EXPECT_EQ(dialogs.shown(),
              QStringList{"confirm: You are about to delete the selected item. Click OK to continue."});
    EXPECT_EQ(captions(panel), (QStringList{a, old, b}));
    dialogs.answerOk = true;
    clickLink(panel, "bFavorite_Delete");
    EXPECT_EQ(captions(panel), (QStringList{a, b}));
    EXPECT_EQ(storedCaptions(), (QStringList{a, b}));
}

TEST_F(Favorites, AnEntryAddedInOneInstanceAppearsInTheOtherWhenItIsActivated)
{
    TFormMain &first = start();
    TFormMain &second = start();
    const QString added = page("/photos/added-elsewhere/");
    add(first, added);
    touchLater(); // written after the second instance last read the file
    EXPECT_EQ(captions(second.favoritesPanel()).size(), 1);

    second.ApplicationEvents1Activate();
    EXPECT_EQ(rows(second.favoritesPanel()), rows(first.favoritesPanel()));
    EXPECT_EQ(captions(second.favoritesPanel()).value(1), added);

    // What the settings store itself reads back from the file is the same list.
    SettingsValueMap controls;
    AddProgramSettingsControls(controls);
    TVarnelProject store(controls, folder);
    store.setPropertiesList(ApplicationSettingsEntries());
    store.SetSingleProject();
    QList<QStringList> readBack;
    for (const ListViewItem &item : controls.listViewItems("lvFavorites"))
        readBack << (QStringList{item.caption} + item.subItems);
    EXPECT_EQ(readBack, rows(first.favoritesPanel()));
}
