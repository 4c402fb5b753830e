#include "spin_edit_ex.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

namespace orvix {

namespace {
constexpr double kEpsilon = 0.0001;
constexpr int kButtonWidth = 15;
} // namespace

TSpinEditEx::TSpinEditEx(QWidget *parent) : QLineEdit(parent)
{
    FButton = new QWidget(this);
    FButton->setObjectName(QStringLiteral("FButton"));
    FButton->setCursor(Qt::ArrowCursor);
    auto *buttons = new QVBoxLayout(FButton);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(0);
    m_up = new QToolButton(FButton);
    m_up->setObjectName(QStringLiteral("UpButton"));
    m_up->setArrowType(Qt::UpArrow);
    m_down = new QToolButton(FButton);
    m_down->setObjectName(QStringLiteral("DownButton"));
    m_down->setArrowType(Qt::DownArrow);
    for (QToolButton *b : {m_up, m_down}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        buttons->addWidget(b);
    }
    FButton->resize(kButtonWidth, 17);
    connect(m_up, &QToolButton::clicked, this, &TSpinEditEx::UpClick);
    connect(m_down, &QToolButton::clicked, this, &TSpinEditEx::DownClick);
    layoutButton();
    showValue();
}

double TSpinEditEx::Clamp(double value, double minValue, double maxValue, bool checkMinValue)
{
    if (checkMinValue && value - minValue < kEpsilon)
        return minValue;
    if (maxValue > kEpsilon && value - maxValue > kEpsilon)
        return maxValue;
    return value;
}

QString TSpinEditEx::FormatValue(double value, int decimals)
{
    QString text = QString::number(value, 'f', QLocale::FloatingPointShortest);
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    const bool hasPoint = text.contains(QLatin1Char('.'));
    if (decimals == 0 && !hasPoint)
        return text;
    if (!hasPoint)
        text += QStringLiteral(".0");
    const int point = int(text.indexOf(QLatin1Char('.')));
    // Cut, never round: 2.999 with two decimals is 2.99.
    while (text.size() - point - 1 > decimals)
        text.chop(1);
    while (text.size() - point - 1 < decimals)
        text += QLatin1Char('0');
    return text;
}

QString TSpinEditEx::ApplyThousands(const QString &text)
{
    const int point = int(text.indexOf(QLatin1Char('.')));
    const QString whole = point < 0 ? text : text.left(point);
    const QString rest = point < 0 ? QString() : text.mid(point);
    QString grouped;
    int digits = 0;
    for (int i = int(whole.size()) - 1; i >= 0; --i) {
        const QChar c = whole.at(i);
        if (c.isDigit()) {
            if (digits > 0 && digits % 3 == 0)
                grouped.prepend(QLatin1Char(','));
            ++digits;
        }
        grouped.prepend(c);
    }
    return grouped + rest;
}

bool TSpinEditEx::ParseTyped(const QString &text, double &value)
{
    QString kept;
    bool point = false;
    for (QChar c : text) {
        if (c == QLatin1Char('.')) {
            if (point)
                continue;
            point = true;
            kept += c;
        } else if (c == QLatin1Char('+') || c == QLatin1Char('-') || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))) {
            kept += c;
        }
    }
    if (kept.isEmpty())
        kept = QStringLiteral("0");
    bool ok = false;
    value = QLocale::c().toDouble(kept, &ok);
    return ok && std::isfinite(value);
}

void TSpinEditEx::setValue(double value)
{
    FValue = Clamp(value, FMinValue, FMaxValue, FCheckMinValue);
    showValue();
}

qint64 TSpinEditEx::GetValueInt() const { return qint64(std::trunc(FValue)); }

void TSpinEditEx::setDecimals(int d)
{
    FDecimals = std::max(0, d);
    showValue();
}

void TSpinEditEx::setThousands(bool on)
{
    FThousands = on;
    showValue();
}

void TSpinEditEx::showValue()
{
    QString text = FormatValue(FValue, FDecimals);
    if (FThousands)
        text = ApplyThousands(text);
    // Text the box writes itself notifies nobody.
    const QSignalBlocker quiet(this);
    setText(text);
}

void TSpinEditEx::step(double delta)
{
    if (isReadOnly())
        QApplication::beep();
    else
        setValue(FValue + delta);
    FpreviousText = text();
    Q_EMIT OnChange(this);
}

void TSpinEditEx::UpClick() { step(FIncrement); }
void TSpinEditEx::DownClick() { step(-FIncrement); }

void TSpinEditEx::setShowButton(bool on)
{
    FShowButton = on;
    FButton->setVisible(on);
    layoutButton();
}

void TSpinEditEx::layoutButton()
{
    const int h = std::max(17, height() - 2);
    FButton->setGeometry(width() - kButtonWidth - 1, (height() - h) / 2, kButtonWidth, h);
    setTextMargins(0, 0, FShowButton ? kButtonWidth + 2 : 2, 0);
}

void TSpinEditEx::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    layoutButton();
}

QSize TSpinEditEx::minimumSizeHint() const
{
    const QFontMetrics fm(font());
    const QFontMetrics system(QApplication::font());
    const int needed = 4 * 2 + fm.height() + std::min(fm.height(), system.height()) / 4 + 2;
    QSize s = QLineEdit::minimumSizeHint();
    return QSize(s.width(), std::max(s.height(), needed));
}

QSize TSpinEditEx::sizeHint() const
{
    QSize s = QLineEdit::sizeHint();
    return QSize(s.width(), std::max(s.height(), minimumSizeHint().height()));
}

void TSpinEditEx::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Up) {
        UpClick();
        return;
    }
    if (event->key() == Qt::Key_Down) {
        DownClick();
        return;
    }
    if (event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Paste)) {
        if (!FEditorEnabled || isReadOnly())
            return;
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString typed = event->text();
    if (typed.size() == 1 && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        const QChar c = typed.at(0);
        const bool control = c.unicode() < 0x20 || c.unicode() == 0x7F;
        const bool enter = c == QLatin1Char('\r') || c == QLatin1Char('\n');
        bool accepted;
        if (!FEditorEnabled)
            accepted = control && c != QLatin1Char('\b');
        else
            accepted = (control && !enter) || c.isDigit() || c == QLatin1Char('+') || c == QLatin1Char(',') ||
                       c == QLatin1Char('-') || c == locale().decimalPoint().at(0) || c == QLatin1Char('.');
        if (!accepted && !enter)
            return;
        if (enter) {
            QLineEdit::keyPressEvent(event); // returnPressed for the owner; no character
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

void TSpinEditEx::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    if (!FEditorEnabled || isReadOnly()) {
        for (QAction *action : menu->actions()) {
            const QString name = action->objectName();
            if (name == QLatin1String("edit-cut") || name == QLatin1String("edit-paste"))
                action->setEnabled(false);
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TSpinEditEx::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    FpreviousText = text();
    if (m_autoSelect && QApplication::mouseButtons() == Qt::NoButton)
        selectAll();
}

void TSpinEditEx::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (text() == FpreviousText)
        return;
    double value = 0;
    if (!ParseTyped(text(), value))
        value = FMinValue;
    setValue(value);
    FpreviousText = text();
    Q_EMIT OnChange(this);
}

} // namespace orvix
