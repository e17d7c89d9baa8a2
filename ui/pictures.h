#pragma once

#include <QIcon>
#include <QPixmap>

namespace velmorane::ui {

// The program's own pictures, drawn when first asked for: the window icon (32×32 and 16×16) and
// the hint picture `ChatRex` (67×51).
QIcon windowIcon();
QPixmap chatRexPicture();

}  // namespace velmorane::ui
