#pragma once

// A one-line number box with up/down buttons, limits, a fixed number of decimals (cut, not
// rounded) and optional thousands separators. Typing notifies nobody: OnChange fires after a step
// and when the focus leaves with a changed text.

#include <QLineEdit>

class QToolButton;

namespace orvix {

class TSpinEditEx : public QLineEdit
{
    Q_OBJECT
public:
    explicit TSpinEditEx(QWidget *parent = nullptr);

    // The clamp, format and thousands rules, on their own.
    static double Clamp(double value, double minValue, double maxValue, bool checkMinValue);
    static QString FormatValue(double value, int decimals);
    static QString ApplyThousands(const QString &text);
    // Typed text to a number; false when it is not one.
    static bool ParseTyped(const QString &text, double &value);

    double Value() const { return FValue; }
    void setValue(double value);
    qint64 GetValueInt() const;
    void SetValueInt(qint64 value) { setValue(double(value)); }

    double MinValue() const { return FMinValue; }
    void setMinValue(double v) { FMinValue = v; }
    double MaxValue() const { return FMaxValue; }
    void setMaxValue(double v) { FMaxValue = v; }
    double Increment() const { return FIncrement; }
    void setIncrement(double v) { FIncrement = v; }
    int Decimals() const { return FDecimals; }
    void setDecimals(int d);
    bool CheckMinValue() const { return FCheckMinValue; }
    void setCheckMinValue(bool on) { FCheckMinValue = on; }
    bool Thousands() const { return FThousands; }
    void setThousands(bool on);
    bool EditorEnabled() const { return FEditorEnabled; }
    void setEditorEnabled(bool on) { FEditorEnabled = on; }
    bool ShowButton() const { return FShowButton; }
    void setShowButton(bool on);
    bool AutoSelect() const { return m_autoSelect; }
    void setAutoSelect(bool on) { m_autoSelect = on; }

    void UpClick();
    void DownClick();
    QWidget *Button() const { return FButton; }
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

Q_SIGNALS:
    void OnChange(QObject *sender);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void step(double delta);
    void showValue();
    void layoutButton();

    double FMinValue = 0;
    double FMaxValue = 0;
    double FIncrement = 1.0;
    QWidget *FButton;
    QToolButton *m_up;
    QToolButton *m_down;
    bool FEditorEnabled = true;
    int FDecimals = 0;
    bool FCheckMinValue = true;
    bool FThousands = false;
    bool FShowButton = true;
    double FValue = 0;
    QString FpreviousText;
    bool m_autoSelect = true;
};

} // namespace orvix
