// "Transformovat klíčem…": a saved key applied to the detail points of a
// coordinate file or to the points of a coordinate list, in either direction,
// into an output file holding the detail section or a coordinate list.
#pragma once

#include <QDialog>

#include "app/key_application.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace ternavo {

class KeyApplicationDialog : public QDialog {
  Q_OBJECT

 public:
  explicit KeyApplicationDialog(QWidget* parent = nullptr);

  // "Transformovat": checks the choices, runs the transformation and closes
  // on success; otherwise says why and stays open with the choices kept.
  void TransformClick();

  KeyDirection Direction() const;
  // The points file as chosen: its kind and, for a list, its column order.
  KeyInput Input() const;
  KeyOutputForm OutputForm() const;

  QLineEdit* KeyFileEdit = nullptr;
  QLineEdit* PointsFileEdit = nullptr;
  QLineEdit* OutputFileEdit = nullptr;
  QPushButton* KeyFileButton = nullptr;
  QPushButton* PointsFileButton = nullptr;
  QPushButton* OutputFileButton = nullptr;
  // The points file: a coordinate file's detail points, or a list.
  QRadioButton* CoordinateFileInput = nullptr;
  QRadioButton* PointListInput = nullptr;
  QComboBox* ColumnOrderBox = nullptr;  // of the list: by its heading, X Y Z, Y X Z
  QRadioButton* ForwardButton = nullptr;
  QRadioButton* InverseButton = nullptr;
  // The output: the detail section, or a coordinate list with its decimals.
  QRadioButton* SectionOutput = nullptr;
  QRadioButton* ListOutput = nullptr;
  QSpinBox* DecimalsBox = nullptr;
  QPushButton* TransformButton = nullptr;
};

}  // namespace ternavo
