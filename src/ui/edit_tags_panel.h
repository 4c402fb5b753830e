#pragma once

// "Edit tags": the floating panel in which the user changes the tags a saved picture carries in
// its file name. The window renames the file (bUpdateTagsClick) and points everything that
// showed the old name to the new one.

#include "widgets/caption_panel.h"

#include <functional>

class QLineEdit;
class QPushButton;

namespace orvix {

class TImageX;

class TEditTagsPanel : public TCaptionPanelK
{
    Q_OBJECT
public:
    // update runs the rename (Enter in the tags box, or "Update"); openPicture the preview's click.
    TEditTagsPanel(QWidget *parent, std::function<void()> update, std::function<void()> openPicture);

    QLineEdit *Edit3() const { return m_edit3; }
    QLineEdit *ed_NewTags() const { return m_newTags; }
    QLineEdit *edEditingTagsFilename() const { return m_fileName; }
    TImageX *ImageEditTag() const { return m_image; }
    QPushButton *bUpdateTags() const { return m_update; }
    // 1: from the picture panel's "edit tags", 2: from the picture menu of a strip.
    int mode() const { return m_mode; }

    // Opens the editor for a file (a message says why when it cannot).
    void ShowEditTags(const QString &fileName, int mode);
    void bCloseEditTagsClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> m_onUpdate;
    std::function<void()> m_openPicture;
    QLineEdit *m_edit3;
    QLineEdit *m_newTags;
    QLineEdit *m_fileName;
    TImageX *m_image;
    QPushButton *m_update;
    int m_mode = 0;
    int m_startHeight = 0;
};

} // namespace orvix
