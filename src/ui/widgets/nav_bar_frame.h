#pragma once

// The three views of a navigation bar, made ready for the bar to take over: the classic column
// of labels under a title, the tree, and the column of radio buttons. Each holds an invisible
// template child that the bar copies position and colour from.

#include <QWidget>

class QLabel;
class QFrame;
class QRadioButton;
class QTreeWidget;

namespace orvix {

class TFrame2 : public QWidget
{
    Q_OBJECT
public:
    static constexpr QRgb kTitleColor = 0x0A246A;    // red 0A, green 24, blue 6A
    static constexpr QRgb kGradientEnd = 0xA0AAC5;
    static constexpr QRgb kLevel3Color = 0xCCCCCC;

    explicit TFrame2(QWidget *parent = nullptr);

    QFrame *Panel_NAVBAR_Level1;
    QFrame *Panel_NAVBAR_Level2;
    QWidget *GradientBar;
    QLabel *Label_Title;
    QFrame *Panel_NAVBAR_Level3;
    QLabel *label_NAVBAR_dummy;
    QTreeWidget *TreeView1;
    QFrame *Panel_RADIO;
    QRadioButton *radio_NAVBAR_dummy;
};

} // namespace orvix
