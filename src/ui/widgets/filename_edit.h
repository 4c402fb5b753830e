#pragma once

// A one-line edit for a file path (kind 1) or a folder path (kind 2): a browse button inside its
// right edge, dropped files, completion from the file system, and Ctrl+L to show the path in the
// file manager.

#include <QLineEdit>

class QCompleter;
class QFileSystemModel;
class QToolButton;

namespace orvix {

class TVarnelFilenameEdit : public QLineEdit
{
    Q_OBJECT
public:
    static constexpr int kFile = 1;
    static constexpr int kFolder = 2;
    static constexpr int kButtonWidth = 21;

    explicit TVarnelFilenameEdit(QWidget *parent = nullptr) : TVarnelFilenameEdit(parent, kFile) {}
    // Another kind than 1 or 2 shows "Unknown class name".
    TVarnelFilenameEdit(QWidget *parent, int aKind);

    int Kind() const { return kind; }
    QString Filename() const { return text(); }
    void setFilename(const QString &name) { setText(name); }
    // Written as "description|mask|description|mask"; empty means all files.
    QString Filter() const { return FFilter; }
    void setFilter(const QString &filter);
    bool DragAccept() const { return FDragAccept; }
    void setDragAccept(bool on);
    bool ShowButton() const { return FShowButton; }
    void setShowButton(bool on);
    QToolButton *BrowseButton() const { return btnBrowseFolder; }

    void ExecuteDialog();
    // What a drop of this path does to the text.
    void DropPath(const QString &path);
    // The filter in the file dialog's form.
    static QString DialogFilter(const QString &filter);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    bool checkKind() const;

    int kind;
    QToolButton *btnBrowseFolder = nullptr;
    QWidget *panelForButton = nullptr;
    bool FDragAccept = true;
    bool FShowButton = true;
    QString FFilter;
    bool flagShellAutoCompletionInit = false;
    QCompleter *m_completer = nullptr;
};

} // namespace orvix
