#include "filename_edit.h"

#include "browse_for_folder.h"
#include "foundation/desktop.h"
#include "foundation/dialogs.h"

#include <QCompleter>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QMimeData>
#include <QStyle>
#include <QToolButton>

namespace orvix {

namespace {
const QString kAllFiles = QStringLiteral("All files (*.*)|*.*");
constexpr int kMaxDroppedPath = 511;
} // namespace

TVarnelFilenameEdit::TVarnelFilenameEdit(QWidget *parent, int aKind) : QLineEdit(parent), kind(aKind), FFilter(kAllFiles)
{
    if (!checkKind())
        return;
    panelForButton = new QWidget(this);
    panelForButton->setObjectName(QStringLiteral("panelForButton"));
    auto *layout = new QHBoxLayout(panelForButton);
    layout->setContentsMargins(0, 0, 0, 0);
    btnBrowseFolder = new QToolButton(panelForButton);
    btnBrowseFolder->setObjectName(QStringLiteral("btnBrowseFolder"));
    btnBrowseFolder->setAutoRaise(true);
    btnBrowseFolder->setCursor(Qt::ArrowCursor);
    btnBrowseFolder->setFocusPolicy(Qt::NoFocus);
    btnBrowseFolder->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    layout->addWidget(btnBrowseFolder);
    const QIcon glyph = style()->standardIcon(kind == kFolder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
    if (glyph.isNull())
        InfoBox(QStringLiteral("resource for FileNameEdit not found."));
    else
        btnBrowseFolder->setIcon(glyph);
    connect(btnBrowseFolder, &QToolButton::clicked, this, &TVarnelFilenameEdit::ExecuteDialog);
    // Text never runs under the button.
    setTextMargins(0, 0, kButtonWidth, 0);
    setDragAccept(FDragAccept);
    setShowButton(FShowButton);
}

bool TVarnelFilenameEdit::checkKind() const
{
    if (kind == kFile || kind == kFolder)
        return true;
    InfoBox(QStringLiteral("Unknown class name"));
    return false;
}

void TVarnelFilenameEdit::setFilter(const QString &filter) { FFilter = filter.isEmpty() ? kAllFiles : filter; }

void TVarnelFilenameEdit::setDragAccept(bool on)
{
    FDragAccept = on;
    setAcceptDrops(on);
}

void TVarnelFilenameEdit::setShowButton(bool on)
{
    FShowButton = on;
    if (panelForButton)
        panelForButton->setVisible(on);
}

void TVarnelFilenameEdit::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    if (panelForButton)
        panelForButton->setGeometry(width() - kButtonWidth - 4, 1, kButtonWidth, std::max(0, height() - 2));
}

QString TVarnelFilenameEdit::DialogFilter(const QString &filter)
{
    const QStringList parts = (filter.isEmpty() ? kAllFiles : filter).split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts.at(i).trimmed();
        const int paren = int(name.indexOf(QLatin1Char('(')));
        if (paren > 0)
            name = name.left(paren).trimmed();
        QStringList masks = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        // "*.*" means every file, also those without a dot in the name.
        for (QString &m : masks)
            if (m.trimmed() == QLatin1String("*.*"))
                m = QStringLiteral("*");
        out.append(name + QStringLiteral(" (") + masks.join(QLatin1Char(' ')) + QLatin1Char(')'));
    }
    return out.join(QStringLiteral(";;"));
}

void TVarnelFilenameEdit::ExecuteDialog()
{
    if (!checkKind())
        return;
    if (kind == kFolder) {
        TBrowse4FolderK browse(this);
        browse.InitialDir = text();
        if (browse.Execute() && !browse.FileName.isEmpty())
            setText(browse.FileName);
        return;
    }
    const QString chosen = QFileDialog::getOpenFileName(this, QStringLiteral("Browse"), text(), DialogFilter(FFilter));
    if (!chosen.isEmpty())
        setText(chosen);
}

void TVarnelFilenameEdit::DropPath(const QString &dropped)
{
    const QString path = dropped.left(kMaxDroppedPath);
    const QFileInfo info(path);
    if (kind == kFolder && info.isFile())
        setText(QDir::cleanPath(info.absolutePath()) + QLatin1Char('/'));
    else
        setText(path);
}

void TVarnelFilenameEdit::dragEnterEvent(QDragEnterEvent *event)
{
    if (FDragAccept && event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        QLineEdit::dragEnterEvent(event);
}

void TVarnelFilenameEdit::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!FDragAccept || urls.isEmpty() || !urls.first().isLocalFile()) {
        QLineEdit::dropEvent(event);
        return;
    }
    DropPath(urls.first().toLocalFile());
    event->acceptProposedAction();
}

void TVarnelFilenameEdit::focusInEvent(QFocusEvent *event)
{
    if (!flagShellAutoCompletionInit && checkKind()) {
        flagShellAutoCompletionInit = true;
        auto *model = new QFileSystemModel(this);
        model->setRootPath(QString());
        model->setFilter(kind == kFolder ? QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives
                                         : QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Drives);
        m_completer = new QCompleter(model, this);
        m_completer->setCompletionMode(QCompleter::PopupCompletion);
        setCompleter(m_completer);
    }
    QLineEdit::focusInEvent(event);
}

void TVarnelFilenameEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_L && event->modifiers() == Qt::ControlModifier) {
        const QString path = text().trimmed();
        if (QFileInfo(path).isDir())
            ShellOpen(path);
        else
            LocateInExplorer(path);
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace orvix
