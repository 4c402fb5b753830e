// The settings stores reading and writing the window's controls by name.
#include "test_support.h"

#include "ui/window_settings_controls.h"

#include "app/program_settings.h"
#include "app/varnel_project.h"
#include "foundation/paths.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

using namespace orvix;

namespace {

// A window with some of the stored controls; the rest are not part of it.
struct SmallWindow
{
    QWidget window;
    QLineEdit *edURL = new QLineEdit(&window);
    QLineEdit *edOutputPath = new QLineEdit(&window);
    QSpinBox *multiqueueLeft = new QSpinBox(&window);
    QCheckBox *cbCacheThumbnails = new QCheckBox(&window);
    QGroupBox *rgImageSize = new QGroupBox(&window);

    SmallWindow()
    {
        edURL->setObjectName(QStringLiteral("edURL"));
        edOutputPath->setObjectName(QStringLiteral("edOutputPath"));
        multiqueueLeft->setObjectName(QStringLiteral("multiqueue_left"));
        multiqueueLeft->setRange(-10000, 10000);
        cbCacheThumbnails->setObjectName(QStringLiteral("cbCacheThumbnails"));
        rgImageSize->setObjectName(QStringLiteral("rg_ImageSizeToSave"));
        auto *layout = new QVBoxLayout(rgImageSize);
        for (const char *text : {"Current", "Large", "Original"})
            layout->addWidget(new QRadioButton(QLatin1String(text), rgImageSize));
    }
};

class WindowSettings : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        SetSettingsFolder(m_dir.path() + QLatin1Char('/'));
    }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(WindowSettings, ControlsRoundTripThroughBothStores)
{
    {
        SmallWindow w;
        TWindowSettingsControls controls(&w.window);
        TVarnelProject app(controls);
        app.setPropertiesList(ApplicationSettingsEntries());
        TVarnelProject session(controls);
        session.setPropertiesList(SessionSettingsEntries());
        app.SetSingleProject();
        session.SetSessionProject(QString());

        w.edURL->setText(QStringLiteral("http://127.0.0.1:1/photos/alma/1/"));
        w.edOutputPath->setText(QStringLiteral("/pictures/here"));
        w.multiqueueLeft->setValue(-5);
        w.cbCacheThumbnails->setChecked(false);
        controls.setItemIndex(QStringLiteral("rg_ImageSizeToSave"), 1);
        // Controls this window lacks keep their values for the next save.
        controls.setText(QStringLiteral("edStartPage"), QStringLiteral("http://start/"));
        app.SaveProjectX();
        session.SaveProjectX();
    }

    SmallWindow w;
    TWindowSettingsControls controls(&w.window);
    TVarnelProject app(controls);
    app.setPropertiesList(ApplicationSettingsEntries());
    TVarnelProject session(controls);
    session.setPropertiesList(SessionSettingsEntries());
    app.SetSingleProject();
    session.SetSessionProject(QString());

    EXPECT_EQ(w.edURL->text(), QStringLiteral("http://127.0.0.1:1/photos/alma/1/"));
    EXPECT_EQ(w.edOutputPath->text(), QStringLiteral("/pictures/here"));
    EXPECT_EQ(w.multiqueueLeft->value(), -5);
    EXPECT_FALSE(w.cbCacheThumbnails->isChecked());
    EXPECT_EQ(controls.itemIndex(QStringLiteral("rg_ImageSizeToSave")), 1);
    EXPECT_TRUE(w.rgImageSize->findChildren<QRadioButton *>().at(1)->isChecked());
    EXPECT_EQ(controls.text(QStringLiteral("edStartPage")), QStringLiteral("http://start/"));
}

TEST_F(WindowSettings, KindsFollowTheWidgetsAndMissingControlsFallBack)
{
    SmallWindow w;
    TWindowSettingsControls controls(&w.window);
    EXPECT_EQ(controls.controlKind(QStringLiteral("edURL")), ControlKind::Edit);
    EXPECT_EQ(controls.controlKind(QStringLiteral("multiqueue_left")), ControlKind::SpinEdit);
    EXPECT_EQ(controls.controlKind(QStringLiteral("cbCacheThumbnails")), ControlKind::CheckBox);
    EXPECT_EQ(controls.controlKind(QStringLiteral("rg_ImageSizeToSave")), ControlKind::RadioGroup);
    EXPECT_EQ(controls.controlKind(QStringLiteral("edMinimizedWebPanelUrls")), ControlKind::Memo);
    EXPECT_EQ(controls.controlKind(QStringLiteral("noSuchControl")), std::nullopt);
}
