#pragma once
// The toolbar's image list on Windows: the shared picture shapes drawn with
// GDI into 32-bit bitmaps with alpha, so no image files are needed.
#include <windows.h>
#include <commctrl.h>

namespace vorn::win32 {

// One picture, size x size pixels, premultiplied alpha; nullptr on failure.
HBITMAP RenderPicture(int picture, int size);

// All pictures, index = role.
HIMAGELIST ToolbarImageList(int size);

}  // namespace vorn::win32
