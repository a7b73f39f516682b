// Fonts and placement shared by the windows.
#pragma once

#include <QFont>

class QWidget;

namespace ternavo {

// Sans-serif font at a pixel height (independent of the screen's dpi).
QFont SansFont(int pixelSize, bool bold = false);
// Narrower sans-serif font, for texts in tight cells.
QFont CondensedFont(int pixelSize, bool bold = false);
// Serif font of the about box.
QFont SerifFont(int pixelSize);
// Centres a top-level window on its screen's available area.
void CentreOnScreen(QWidget* window);
// Centres a top-level window over another one.
void CentreOver(QWidget* window, const QWidget* over);

}  // namespace ternavo
