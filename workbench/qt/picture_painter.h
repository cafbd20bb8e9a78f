#pragma once
// The toolbar's image list (ImageList1) in Qt: the shared picture
// descriptions (workbench/toolbar_pictures.h) painted with QPainter.
#include <QIcon>
#include <QList>

namespace vorn {

// All pictures, index = ToolbarPicture; each at 16 and 32 pixels.
QList<QIcon> ToolbarPictures();

}  // namespace vorn
