#pragma once

// The folder kind of the path box.

#include "filename_edit.h"

namespace orvix {

class TVarnelDirectoryEdit : public TVarnelFilenameEdit
{
    Q_OBJECT
public:
    explicit TVarnelDirectoryEdit(QWidget *parent = nullptr) : TVarnelFilenameEdit(parent, kFolder) {}
};

} // namespace orvix
