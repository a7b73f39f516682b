#include "ui/program.h"

#include <cfenv>
#include <clocale>

#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include "numeric/notice.h"
#include "ui/dialogs.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/form4.h"

namespace ternavo {

TernavoApplication::TernavoApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TernavoApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ShowErrorReport(activeWindow(), std::current_exception());
  }
  return false;
}

void InitialiseApplication() {
  // Not the display name: that would be appended to every window caption.
  QCoreApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
  // Numbers are written with the user's decimal separator.
  std::setlocale(LC_ALL, "");
  SetNoticeHook([](const std::string& text) {
    // The box runs an event loop inside the computation; whatever flags the
    // toolkit raises meanwhile must not count as faults of the computation.
    std::fexcept_t flags;
    std::fegetexceptflag(&flags, FE_ALL_EXCEPT);
    ShowPlainMessage(QApplication::activeWindow() ? QApplication::activeWindow() : Form1,
                     QString::fromStdString(text));
    std::fesetexceptflag(&flags, FE_ALL_EXCEPT);
  });
}

bool InstallToolkitTranslations(QApplication& application) {
  auto* translator = new QTranslator(&application);
  // Looks for qtbase_cs_CZ, then qtbase_cs, for each of the user's languages.
  if (!translator->load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QCoreApplication::installTranslator(translator);
}

ProgramWindows::ProgramWindows() {
  form1_ = std::make_unique<TForm1>();
  Form1 = form1_.get();
  form2_ = std::make_unique<TForm2>();
  Form2 = form2_.get();
  form4_ = std::make_unique<TForm4>();
  Form4 = form4_.get();
  form1_->RestoreSettings();
}

ProgramWindows::~ProgramWindows() {
  form4_.reset();
  Form4 = nullptr;
  form2_.reset();
  Form2 = nullptr;
  form1_.reset();
  Form1 = nullptr;
}

int RunTernavo(int argc, char** argv) {
  TernavoApplication application(argc, argv);
  InitialiseApplication();
  InstallToolkitTranslations(application);
  ProgramWindows windows;
  windows.Main().show();
  // `ternavo FILE` (a file manager's "Open with"): opened once the window is up.
  QTimer::singleShot(0, &windows.Main(), [&windows, &application] {
    RunHandler(&windows.Main(),
               [&] { windows.Main().OpenFromCommandLine(application.arguments()); });
  });
  return application.exec();
}

}  // namespace ternavo
