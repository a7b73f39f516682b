// Start-up and shut-down of the window program.
#pragma once

#include <memory>

#include <QApplication>

namespace ternavo {

class TForm1;
class TForm2;
class TForm4;

// Reports an error that escaped every handler instead of ending the program.
class TernavoApplication : public QApplication {
 public:
  TernavoApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// Application title, the user's regional settings and the notice boxes.
void InitialiseApplication();

// Qt's own texts (file dialogs, standard buttons) in the user's language,
// when the system holds a translation for it. Returns whether one was loaded.
bool InstallToolkitTranslations(QApplication& application);

// The three windows in creation order (the main window first, its
// FormCreate running now; the protocol window and the about box hidden).
// Sets the globals Form1, Form2, Form4 and clears them again.
class ProgramWindows {
 public:
  ProgramWindows();
  ~ProgramWindows();
  ProgramWindows(const ProgramWindows&) = delete;
  ProgramWindows& operator=(const ProgramWindows&) = delete;

  TForm1& Main() { return *form1_; }
  TForm2& Protocol() { return *form2_; }
  TForm4& About() { return *form4_; }

 private:
  std::unique_ptr<TForm1> form1_;
  std::unique_ptr<TForm2> form2_;
  std::unique_ptr<TForm4> form4_;
};

// The whole window program: returns the exit code of the event loop.
int RunTernavo(int argc, char** argv);

}  // namespace ternavo
