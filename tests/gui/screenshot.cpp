// Saves a picture of the main window opened on a command-line argument, as a
// person sees it: kestrune_gui_screenshot ARGUMENT OUT.png
#include <QApplication>
#include <QPixmap>
#include <QTest>

#include "main_form.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() != 3) {
    qWarning("usage: kestrune_gui_screenshot ARGUMENT OUT.png");
    return 2;
  }
  kestrune::gui::TMainForm form(arguments.at(1));
  form.show();
  if (!QTest::qWaitForWindowExposed(&form)) return 1;
  QTest::qWait(200);
  return form.grab().save(arguments.at(2)) ? 0 : 1;
}
