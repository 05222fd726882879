#pragma once
// The program's artwork, drawn rather than shipped as bitmaps: the icon, the banner and the splash picture.

#include <QIcon>
#include <QPixmap>

namespace vyx::gui {

QIcon ApplicationIcon();
QPixmap IconPixmap(int size);
// The banner across the top of the main window, drawn for the given size.
QPixmap BannerPixmap(int width, int height);
QPixmap SplashPixmap();

}  // namespace vyx::gui
