// The program's fonts, at pixel heights so that a picture looks the same on
// a screen of any dpi, in a file and on paper.
#pragma once

#include <QFont>

namespace ternavo {

// Sans-serif font at a pixel height.
QFont SansFont(int pixelSize, bool bold = false);
// Narrower sans-serif font, for texts in tight cells.
QFont CondensedFont(int pixelSize, bool bold = false);
// Serif font of the about box.
QFont SerifFont(int pixelSize);

}  // namespace ternavo
