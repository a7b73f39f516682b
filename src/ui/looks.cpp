#include "ui/looks.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace ternavo {

void CentreOnScreen(QWidget* window) {
  QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect frame = window->frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  window->move(frame.topLeft());
}

void CentreOver(QWidget* window, const QWidget* over) {
  if (!over || !over->isVisible()) {
    CentreOnScreen(window);
    return;
  }
  QRect frame = window->frameGeometry();
  frame.moveCenter(over->frameGeometry().center());
  window->move(frame.topLeft());
}

}  // namespace ternavo
