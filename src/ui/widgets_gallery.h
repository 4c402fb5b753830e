#pragma once

// A window showing each reusable widget in its usual states, for looking at them together.

#include <QWidget>

namespace orvix {

class TWidgetsGallery : public QWidget
{
    Q_OBJECT
public:
    explicit TWidgetsGallery(QWidget *parent = nullptr);
};

} // namespace orvix
