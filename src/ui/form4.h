// The about box.
#pragma once

#include <QWidget>

class QLabel;

namespace ternavo {

class TForm4 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm4(QWidget* parent = nullptr);

  // Shows the box without blocking, over the main window, in front.
  void ShowWithoutBlocking();

  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool centred_ = false;
};

// The about box (set while it exists).
extern TForm4* Form4;

}  // namespace ternavo
