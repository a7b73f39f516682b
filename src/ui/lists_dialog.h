// "Otevřít seznamy souřadnic…": the source and the target list, each with
// its file and column order, a preview of their first lines and the counts
// the pairing gives.
#pragma once

#include <QDialog>

#include "app/workflow.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace ternavo {

class ListsDialog : public QDialog {
 public:
  explicit ListsDialog(QWidget* parent);

  ListChoice Source() const { return Choice(0); }
  ListChoice Target() const { return Choice(1); }
  void SetPath(int list, const QString& path);  // 0 source, 1 target

  QLineEdit* Paths[2] = {nullptr, nullptr};
  QPushButton* Browse[2] = {nullptr, nullptr};
  QComboBox* Orders[2] = {nullptr, nullptr};
  QPlainTextEdit* Preview = nullptr;
  QLabel* Counts = nullptr;
  QPushButton* OkButton = nullptr;

 private:
  ListChoice Choice(int list) const;
  void Refresh();
};

}  // namespace ternavo
