#include "program_settings.h"

#include "pages/site.h"

namespace orvix {

QStringList ApplicationSettingsEntries()
{
    return {QStringLiteral("lvFavorites.Items"),
            QStringLiteral("cbVersion1_0_0_10_initialized.Checked"),
            QStringLiteral("edOutputPath.Text"),
            QStringLiteral("rg_ImageSizeToSave.ItemIndex"),
            QStringLiteral("edStartUrlIdx.Text"),
            QStringLiteral("edStartPage.Text"),
            QStringLiteral("edMinimizedWebPanelUrls.Lines"),
            QStringLiteral("cbCacheThumbnails.Checked"),
            QStringLiteral("cbShowLastSaved.Checked")};
}

QStringList SessionSettingsEntries()
{
    QStringList entries{QStringLiteral("edOutputPathInner.Text"), QStringLiteral("edURL.Text")};
    for (const char *panel : {"multiqueue", "queuePanel"}) {
        for (const char *side : {"_left", "_top", "_width", "_height"})
            entries.append(QLatin1String(panel) + QLatin1String(side) + QStringLiteral(".Value"));
    }
    return entries;
}

QString DefaultStartAddress()
{
    return SiteRoot() + QStringLiteral("/photos/sample/1/");
}

void AddProgramSettingsControls(SettingsValueMap &c)
{
    c.addControl(QStringLiteral("lvFavorites"), ControlKind::ListView);
    c.addControl(QStringLiteral("cbVersion1_0_0_10_initialized"), ControlKind::CheckBox);
    c.addControl(QStringLiteral("edOutputPath"), ControlKind::Edit);
    c.addControl(QStringLiteral("rg_ImageSizeToSave"), ControlKind::RadioGroup);
    c.setItemIndex(QStringLiteral("rg_ImageSizeToSave"), 0);
    c.addControl(QStringLiteral("edStartUrlIdx"), ControlKind::Edit);
    c.setText(QStringLiteral("edStartUrlIdx"), QStringLiteral("0"));
    c.addControl(QStringLiteral("edStartPage"), ControlKind::Edit);
    c.addControl(QStringLiteral("edMinimizedWebPanelUrls"), ControlKind::Memo);
    c.addControl(QStringLiteral("cbCacheThumbnails"), ControlKind::CheckBox);
    c.setChecked(QStringLiteral("cbCacheThumbnails"), true);
    c.addControl(QStringLiteral("cbShowLastSaved"), ControlKind::CheckBox);
    c.setChecked(QStringLiteral("cbShowLastSaved"), true);

    c.addControl(QStringLiteral("edOutputPathInner"), ControlKind::Edit);
    c.addControl(QStringLiteral("edURL"), ControlKind::Edit);
    c.setText(QStringLiteral("edURL"), DefaultStartAddress());
    for (const QString &entry : SessionSettingsEntries()) {
        if (entry.endsWith(QLatin1String(".Value")))
            c.addControl(entry.section(QLatin1Char('.'), 0, 0), ControlKind::SpinEdit);
    }
}

} // namespace orvix
