#pragma once

#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace velmorane::ui {

// The program's own pictures, drawn when first asked for: the window icon (32×32 and 16×16) and
// the hint picture `ChatRex` (67×51).
QIcon windowIcon();
QPixmap windowIconPixmap(int size);
// Draws the window icon in units of 1/32 of its side, so that the installed icons, bitmaps of
// every size and the scalable one, all come from this one drawing.
void paintWindowIcon(QPainter& painter);
QPixmap chatRexPicture();

}  // namespace velmorane::ui
