// The main window: point table, transformation type, key computation,
// point selection and the transformation of detail points.
#pragma once

#include <chrono>
#include <memory>

#include <QMainWindow>
#include <QPixmap>

#include "adjustment/seznam.h"
#include "app/workflow.h"
#include "text/text_lines.h"

class QAction;
class QButtonGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;

namespace ternavo {

class PointTable;
class ResidualWindow;

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // Handlers; the sender is ignored.
  void FormCreate(QObject* sender);
  void FormDestroy(QObject* sender);
  void Otevt1Click(QObject* sender);
  void OtevritSeznamy1Click(QObject* sender);
  void UlozitBody1Click(QObject* sender);
  // Opens a pair of coordinate lists; a failure leaves the window as it was.
  bool OpenLists(const ListChoice& source, const ListChoice& target);
  void Konec1Click(QObject* sender);
  void Npovda1Click(QObject* sender);
  void Rezidua1Click(QObject* sender);
  void Exportovat1Click(QObject* sender);
  void UlozitKlic1Click(QObject* sender);
  void UlozitZpravu1Click(QObject* sender);
  void TransformovatKlicem1Click(QObject* sender);
  void RadioGroup1Click(QObject* sender);
  void BitBtn1Click(QObject* sender);
  void SpeedButton1Click(QObject* sender);
  void BitBtn3Click(QObject* sender);
  void BitBtn2Click(QObject* sender);
  void StringGrid1DblClick(QObject* sender);
  void StringGrid1DrawCell(QPainter* painter, int column, int row, const QRect& rect);

  // Returns the window to its empty look.
  void ResetMainWindow();
  // Opens the coordinate file as "Otevřít" does once a file is chosen (no
  // question about the protocol); false when it was not loaded.
  bool OpenFile(const QString& path);
  // `ternavo FILE`: opens the file named after the program (arguments as
  // QCoreApplication::arguments gives them); false when none was named or
  // it was not loaded.
  bool OpenFromCommandLine(const QStringList& arguments);
  // The recently opened files, newest first, as "Soubor" lists them.
  QStringList RecentFiles() const;
  // Type, recent files and the sizes of the three windows, from the settings.
  void RestoreSettings();
  // Remembers them (done when the program ends).
  void SaveSettings() const;

  // Selected transformation type (TTypTransformace).
  TTypTransformace RadioGroup1ItemIndex() const;
  void SetRadioGroup1ItemIndex(TTypTransformace index);
  const CellGrid& Grid() const { return grid_; }

  QFrame* Bevel1 = nullptr;
  PointTable* StringGrid1 = nullptr;
  QFrame* Panel1 = nullptr;
  QGroupBox* RadioGroup1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Label5 = nullptr;
  QLabel* Label6 = nullptr;
  QLabel* Label7 = nullptr;
  QLabel* Label8 = nullptr;
  QPushButton* SpeedButton1 = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QPushButton* BitBtn2 = nullptr;
  QPushButton* BitBtn3 = nullptr;
  QMenuBar* MainMenu1 = nullptr;
  QMenu* Soubor1 = nullptr;
  QAction* Otevt1 = nullptr;
  QAction* OtevritSeznamy1 = nullptr;  // "Otevřít seznamy souřadnic…"
  QAction* UlozitBody1 = nullptr;      // "Uložit transformované body…"
  QAction* Konec1 = nullptr;
  QAction* Npovda1 = nullptr;
  QAction* Rezidua1 = nullptr;     // "Rezidua": the residual window
  QAction* Exportovat1 = nullptr;  // "Exportovat klíč…"
  QAction* Navod1 = nullptr;       // "Nápověda": the guide
  QList<QAction*> RecentFileItems;
  // Says how to begin while no file is open.
  QLabel* StartHint = nullptr;
  QAction* UlozitKlic1 = nullptr;    // "Uložit klíč…": the key file
  QAction* UlozitZpravu1 = nullptr;  // "Uložit zprávu (PDF)…": the report to hand over
  // "Transformovat klíčem…": a saved key applied to a coordinate file.
  QAction* TransformovatKlicem1 = nullptr;
  ResidualWindow* Residuals = nullptr;
  // How long a key computation runs before its progress dialog shows.
  std::chrono::milliseconds ProgressDelay{1000};
  QLabel* Image1 = nullptr;
  QLabel* Image2 = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void CreateControls();
  void ConnectHandlers();
  void RefreshGrid();
  void SetCountLabel(QLabel* label, int32_t value);
  void SetResultLabels(const std::string& m0, const std::string& point);
  void SetValueLabel(QLabel* label, const QString& text);
  void SetComputedControls(bool enabled);
  // BitBtn3 with the two items that follow it.
  void SetProtocolButton(bool enabled);
  // Asks about unsaved protocol edits, then opens the file.
  void OpenAfterQuestion(const QString& path);
  void RememberFile(const QString& path, bool loaded);
  void RebuildRecentMenu();
  void ShowGuide();

  QButtonGroup* radioItems_ = nullptr;
  QPixmap UsedBitmap;
  QPixmap UnusedBitmap;
  CellGrid grid_{4};
  std::unique_ptr<Workflow> workflow_;
  bool centred_ = false;
  QStringList recentFiles_;
  QAction* recentSeparator_ = nullptr;
  QWidget* guide_ = nullptr;
};

// The one point list of the program, created by TForm1::FormCreate.
extern std::unique_ptr<TSeznam> Seznam;
// The main window (set while it exists).
extern TForm1* Form1;

}  // namespace ternavo
