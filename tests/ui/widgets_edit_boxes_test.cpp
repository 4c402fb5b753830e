// The number box (clamp, cut decimals, thousands, when it notifies) and the path boxes.
#include "test_support.h"

#include "foundation/desktop.h"
#include "foundation/dialogs.h"
#include "ui/widgets/browse_for_folder.h"
#include "ui/widgets/directory_edit.h"
#include "ui/widgets/spin_edit_ex.h"

#include <QCompleter>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace orvix;

namespace {

// A window with the box and a second field to move the focus to.
template <typename Box>
struct Form
{
    Form()
    {
        auto *layout = new QVBoxLayout(&window);
        box = new Box(&window);
        other = new QLineEdit(&window);
        layout->addWidget(box);
        layout->addWidget(other);
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        leave(); // the box takes the focus at activation otherwise
    }
    void focusBox()
    {
        box->setFocus(Qt::TabFocusReason);
        EXPECT_TRUE(test::waitUntil([&] { return box->hasFocus(); }, 2000));
    }
    void leave()
    {
        other->setFocus(Qt::TabFocusReason);
        EXPECT_TRUE(test::waitUntil([&] { return other->hasFocus(); }, 2000));
    }
    QWidget window;
    Box *box;
    QLineEdit *other;
};

class RecordingDesktop : public IDesktop
{
public:
    int openTarget(const QString &t, const QString &, const QString &) override { calls << "open " + t; return 0; }
    int openFolder(const QString &f) override { calls << "folder " + f; return 0; }
    bool locateFile(const QString &f) override { calls << "locate " + f; return true; }
    void forceForeground(QObject *) override {}
    bool isShiftDown() override { return false; }
    bool isControlDown() override { return false; }
    QStringList calls;
};

} // namespace

TEST(SpinEditEx, FormatCutsDecimalsAndGroupsThousands)
{
    struct Case { double value; int decimals; bool thousands; QString shown; };
    const Case cases[] = {
        {386, 0, false, QStringLiteral("386")},
        {3, 2, false, QStringLiteral("3.00")},
        {2.999, 2, false, QStringLiteral("2.99")},   // cut, not rounded
        {12.5, 0, false, QStringLiteral("12.")},
        {1234567.5, 1, true, QStringLiteral("1,234,567.5")},
        {1234, 0, true, QStringLiteral("1,234")},
        {123, 0, true, QStringLiteral("123")},
        {0.00005, 0, false, QStringLiteral("0")},    // within 0.0001 of the minimum
    };
    for (const Case &c : cases) {
        TSpinEditEx box;
        box.setDecimals(c.decimals);
        box.setThousands(c.thousands);
        box.setValue(c.value);
        EXPECT_EQ(box.text(), c.shown) << c.value;
    }
    TSpinEditEx bounded;
    bounded.setMinValue(10);
    bounded.setMaxValue(20);
    bounded.setValue(25);
    EXPECT_EQ(bounded.Value(), 20);
    bounded.setValue(-3);
    EXPECT_EQ(bounded.Value(), 10);
    bounded.setCheckMinValue(false);
    bounded.setValue(-3.7);
    EXPECT_EQ(bounded.Value(), -3.7);
    EXPECT_EQ(bounded.GetValueInt(), -3);
}

TEST(SpinEditEx, TypedTextIsReadWhenTheFocusLeaves)
{
    struct Case { QString typed; double value; QString shown; };
    const Case cases[] = {
        {QStringLiteral("-5"), 0, QStringLiteral("0")},
        {QStringLiteral("abc"), 0, QStringLiteral("0")},       // letters never get in
        {QStringLiteral("1,234"), 1234, QStringLiteral("1234")},
        {QStringLiteral("7.9"), 7.9, QStringLiteral("7.")},    // no decimals: the point stays
        {QStringLiteral("--"), 0, QStringLiteral("0")},        // not a number: the minimum
    };
    for (const Case &c : cases) {
        Form<TSpinEditEx> f;
        f.box->setValue(42);
        QSignalSpy changed(f.box, &TSpinEditEx::OnChange);
        f.focusBox();
        EXPECT_EQ(f.box->selectedText(), QStringLiteral("42")); // auto-select on entry
        QTest::keyClick(f.box, Qt::Key_Backspace);
        QTest::keyClicks(f.box, c.typed);
        EXPECT_EQ(changed.count(), 0); // typing notifies nobody
        f.leave();
        EXPECT_DOUBLE_EQ(f.box->Value(), c.value) << c.typed.toStdString();
        EXPECT_EQ(f.box->text(), c.shown) << c.typed.toStdString();
        EXPECT_EQ(changed.count(), 1);
    }
}

TEST(SpinEditEx, StepsNotifyOncePerStepLeavingUnchangedNotAtAll)
{
    Form<TSpinEditEx> f;
    QSignalSpy changed(f.box, &TSpinEditEx::OnChange);
    f.focusBox();
    f.leave();
    EXPECT_EQ(changed.count(), 0);

    f.focusBox();
    QTest::keyClick(f.box, Qt::Key_Up);
    QTest::keyClick(f.box, Qt::Key_Up);
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(f.box->text(), QStringLiteral("2"));
    QTest::mouseClick(f.box->Button()->findChild<QToolButton *>(QStringLiteral("DownButton")), Qt::LeftButton);
    EXPECT_EQ(changed.count(), 3);
    EXPECT_EQ(f.box->Value(), 1);
    f.leave(); // the text changed only through steps, which already told
    EXPECT_EQ(changed.count(), 3);

    f.box->setReadOnly(true);
    f.focusBox();
    QTest::keyClick(f.box, Qt::Key_Up);
    EXPECT_EQ(f.box->Value(), 1); // refused, yet the handler runs
    EXPECT_EQ(changed.count(), 4);

    f.box->setReadOnly(false);
    f.box->setEditorEnabled(false);
    QTest::keyClick(f.box, Qt::Key_End);
    QTest::keyClicks(f.box, QStringLiteral("5"));
    QTest::keyClick(f.box, Qt::Key_Backspace);
    EXPECT_EQ(f.box->text(), QStringLiteral("1"));
}

TEST(PathEdit, DroppedFilesAndFolders)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("a.jpg"));
    QFile(file).open(QIODevice::WriteOnly);
    struct Case { int kind; QString dropped; QString text; };
    const Case cases[] = {
        {TVarnelFilenameEdit::kFolder, file, dir.path() + QStringLiteral("/")},
        {TVarnelFilenameEdit::kFolder, dir.path(), dir.path()},
        {TVarnelFilenameEdit::kFile, file, file},
        {TVarnelFilenameEdit::kFolder, QStringLiteral("/no/such/place"), QStringLiteral("/no/such/place")},
    };
    for (const Case &c : cases) {
        TVarnelFilenameEdit edit(nullptr, c.kind);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(c.dropped)});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&edit, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&edit, &drop);
        EXPECT_EQ(edit.text(), c.text) << c.dropped.toStdString();
    }
}

TEST(PathEdit, ButtonCompletionShowKeyAndUnknownKind)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("sub"));
    Form<TVarnelDirectoryEdit> f;
    ASSERT_NE(f.box->BrowseButton(), nullptr);
    EXPECT_FALSE(f.box->BrowseButton()->icon().isNull());
    EXPECT_EQ(f.box->textMargins().right(), TVarnelFilenameEdit::kButtonWidth);
    f.focusBox();
    ASSERT_NE(f.box->completer(), nullptr);
    auto *fs = qobject_cast<QFileSystemModel *>(f.box->completer()->model());
    ASSERT_NE(fs, nullptr);
    EXPECT_FALSE(fs->filter() & QDir::Files); // a folder box completes folders only

    RecordingDesktop desktop;
    IDesktop *previous = SetDesktop(&desktop);
    f.box->setText(dir.path());
    QTest::keyClick(f.box, Qt::Key_L, Qt::ControlModifier);
    const QString file = dir.filePath(QStringLiteral("a.txt"));
    QFile(file).open(QIODevice::WriteOnly);
    f.box->setText(file);
    QTest::keyClick(f.box, Qt::Key_L, Qt::ControlModifier);
    SetDesktop(previous);
    EXPECT_EQ(desktop.calls, (QStringList{"folder " + dir.path(), "locate " + file}));
    EXPECT_EQ(f.box->text(), file); // the key goes on to the edit: nothing typed

    ScriptedDialogs dialogs;
    ScopedDialogs scope(dialogs);
    TVarnelFilenameEdit wrong(nullptr, 3);
    EXPECT_EQ(dialogs.shown(), QStringList{QStringLiteral("info: Unknown class name")});
    EXPECT_EQ(TVarnelFilenameEdit::DialogFilter(QString()), QStringLiteral("All files (*)"));
    EXPECT_EQ(TVarnelFilenameEdit::DialogFilter(QStringLiteral("Pictures|*.jpg;*.png|All files (*.*)|*.*")),
              QStringLiteral("Pictures (*.jpg *.png);;All files (*)"));
}

TEST(Browse4Folder, FlagsAndTheDialogsAnswer)
{
    TBrowse4FolderK browse;
    EXPECT_EQ(browse.DialogFlags(), 0x50u);
    browse.Options.append(TBrowse4FolderK::HideNewFolderButton);
    EXPECT_EQ(browse.DialogFlags(), 0x250u);

    QTemporaryDir dir;
    QDir(dir.path()).mkdir(QStringLiteral("pick"));
    const QString wanted = dir.filePath(QStringLiteral("pick"));
    auto answer = [](bool accept, const QString &folder) {
        QTimer::singleShot(50, [=] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            if (!accept) {
                dialog->reject();
                return;
            }
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            name->setText(folder);
            static_cast<QDialog *>(dialog)->accept(); // QFileDialog hides it
        });
    };
    browse.InitialDir = dir.path();
    answer(true, wanted);
    EXPECT_TRUE(browse.Execute());
    EXPECT_EQ(QDir(browse.FileName).canonicalPath(), QDir(wanted).canonicalPath());
    answer(false, QString());
    EXPECT_TRUE(browse.Execute()); // cancelled is not a failure
    EXPECT_TRUE(browse.FileName.isEmpty());
}
