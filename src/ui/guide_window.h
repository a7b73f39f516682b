// The user guide (Czech) in a window of its own: the Markdown file installed
// with the program, shown with its pictures.
#pragma once

#include <QString>

class QWidget;

namespace ternavo {

// The guide's file: installed beside the program, or in the source tree for
// a program run from its build folder; empty when there is none.
QString FindGuide();

// A window showing the guide (or, without one, where it belongs).
QWidget* MakeGuideWindow(QWidget* owner);

}  // namespace ternavo
