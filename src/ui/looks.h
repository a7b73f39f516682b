// Fonts and placement shared by the windows.
#pragma once

#include "render/fonts.h"

class QWidget;

namespace ternavo {

// Centres a top-level window on its screen's available area.
void CentreOnScreen(QWidget* window);
// Centres a top-level window over another one.
void CentreOver(QWidget* window, const QWidget* over);

}  // namespace ternavo
