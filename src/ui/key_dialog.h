// "Transformovat klíčem…": a saved key applied to the detail points of a
// coordinate file, in either direction, into an output file.
#pragma once

#include <QDialog>

#include "app/key_application.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace ternavo {

class KeyApplicationDialog : public QDialog {
  Q_OBJECT

 public:
  explicit KeyApplicationDialog(QWidget* parent = nullptr);

  // "Transformovat": checks the choices, runs the transformation and closes
  // on success; otherwise says why and stays open with the choices kept.
  void TransformClick();

  KeyDirection Direction() const;

  QLineEdit* KeyFileEdit = nullptr;
  QLineEdit* PointsFileEdit = nullptr;
  QLineEdit* OutputFileEdit = nullptr;
  QPushButton* KeyFileButton = nullptr;
  QPushButton* PointsFileButton = nullptr;
  QPushButton* OutputFileButton = nullptr;
  QRadioButton* ForwardButton = nullptr;
  QRadioButton* InverseButton = nullptr;
  QPushButton* TransformButton = nullptr;
};

}  // namespace ternavo
