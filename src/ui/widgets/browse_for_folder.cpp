#include "browse_for_folder.h"

#include <QApplication>
#include <QFileDialog>
#include <QScreen>
#include <QTimer>

namespace orvix {

TBrowse4FolderK::TBrowse4FolderK(QWidget *owner) : QObject(owner), m_owner(owner) {}

uint TBrowse4FolderK::DialogFlags() const
{
    uint flags = 0;
    for (Option o : Options)
        flags += o;
    return flags;
}

bool TBrowse4FolderK::Execute()
{
    try {
        FileName.clear();
        QWidget *owner = m_owner ? m_owner->window() : QApplication::activeWindow();
        QFileDialog dialog(owner, ShowTitle ? Title : QString());
        dialog.setObjectName(QStringLiteral("Browse4FolderDialog"));
        dialog.setFileMode(QFileDialog::Directory);
        const uint flags = DialogFlags();
        if (!(flags & ShowAlsoFiles))
            dialog.setOption(QFileDialog::ShowDirsOnly, true);
        if (!InitialDir.isEmpty())
            dialog.setDirectory(InitialDir);
        else if (!Root.isEmpty())
            dialog.setDirectory(Root);
        // Centred in the work area of the screen it opens on.
        QTimer::singleShot(0, &dialog, [&dialog] {
            if (QScreen *screen = dialog.screen())
                dialog.move(screen->availableGeometry().center() - dialog.rect().center());
        });
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            FileName = dialog.selectedFiles().constFirst();
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace orvix
