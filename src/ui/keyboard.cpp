#include "ui/keyboard.h"

#include <QAbstractButton>
#include <QKeyEvent>

namespace ternavo {

namespace {

class EnterPressesButton : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (!button || !button->isEnabled() || key->isAutoRepeat()) return false;
    button->click();
    return true;
  }
};

}  // namespace

void PressOnEnter(std::initializer_list<QAbstractButton*> buttons) {
  for (QAbstractButton* button : buttons) {
    // Owned by the button, so it goes with it.
    button->installEventFilter(new EnterPressesButton(button));
  }
}

}  // namespace ternavo
