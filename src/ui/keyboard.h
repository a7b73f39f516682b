// Keyboard helpers shared by the windows.
#pragma once

#include <initializer_list>

class QAbstractButton;

namespace ternavo {

// Enter or Return on one of these buttons, while it has the focus, presses it
// as Space does. Buttons of a plain window have no default button, so Qt
// itself ignores Enter there.
void PressOnEnter(std::initializer_list<QAbstractButton*> buttons);

}  // namespace ternavo
