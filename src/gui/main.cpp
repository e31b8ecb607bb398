// Kestrune's program entry: the application, its one window, the event loop.
#include <QApplication>
#include <QIcon>

#include "main_form.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kestrune"));
  QApplication::setApplicationVersion(QStringLiteral(KESTRUNE_VERSION));
  QApplication::setDesktopFileName(QStringLiteral("kestrune"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/MAINICON.xpm")));

  // The first argument names an information file or a folder; Qt has already
  // taken its own options out of the list.
  const QStringList arguments = QApplication::arguments();
  kestrune::gui::TMainForm MainForm(arguments.size() > 1 ? arguments.at(1) : QString());
  MainForm.show();
  return app.exec();
}
