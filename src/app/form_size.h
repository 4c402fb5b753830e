#pragma once

// The main window's position and size as the session file keeps them: one line
// "left,top,width,height,Normal|Max". The window reads its geometry and applies the placement;
// these functions only compute.

#include <QRect>
#include <QString>

namespace orvix {

// What the window does with its stored bounds at start.
struct FormPlacement {
    bool setPosition = false;
    QPoint position;
    bool setSize = false;
    QSize size;
    // Maximise, remembering the window's current bounds as its restore bounds first.
    bool maximize = false;

    bool operator==(const FormPlacement &) const = default;
};

// The section value for the window's bounds; empty text when it must not be stored (left or
// top below -100, a window parked off screen). A maximised window is stored as the work area
// inset by a sixteenth of its width and an eighth of its height on each side.
QString FormSizeValue(const QRect &bounds, bool maximized, const QRect &workArea);

// The placement for a stored value: nothing stored fills the work area; an unreadable or far
// off-screen position opens maximised.
FormPlacement FormPlacementFor(const QString &storedValue, const QRect &workArea);

} // namespace orvix
