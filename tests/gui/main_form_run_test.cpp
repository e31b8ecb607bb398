// "Blank!" and "Back to orig. files" through the window, on a copy of an
// authored DVD-Video folder.
#include <QDirIterator>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "gui_test_support.h"

using namespace kestrune::gui;
using namespace kestrune::gui::test;

namespace {

// Copies the fixture folder `name` (its VIDEO_TS) into `target`; false when the
// fixtures have not been authored.
bool CopyFixture(const QString& name, const QString& target) {
  const QString source = QString(KESTRUNE_FIXTURES_DIR) + "/" + name + "/VIDEO_TS";
  if (!QFileInfo(source).isDir()) return false;
  QDir().mkpath(target);
  for (const QFileInfo& file : QDir(source).entryInfoList(QDir::Files))
    if (!QFile::copy(file.filePath(), target + "/" + file.fileName())) return false;
  return true;
}

}  // namespace

class MainFormRunTest : public QObject {
  Q_OBJECT

 private slots:
  // Blanking the video manager menu and title set 1 leaves one-frame VOBs of
  // 10 KB behind, listed unchecked; the backups bring the old sizes back.
  void blankAndRestore() {
    QTemporaryDir dir;
    const QString disc = dir.path() + "/VIDEO_TS";
    if (!CopyFixture("pal_menu", disc)) QSKIP("the dvd_fixtures folders have not been authored");
    QStringList messages;
    auto form = MakeForm(disc + "/VTS_01_0.IFO", messages);
    const QStringList before = Rows(form->VMGBox) + Rows(form->VTSBox) + Rows(form->VTSMenuBox);
    QCOMPARE(before.size(), 3);
    QVERIFY2(before[1].startsWith("[x] VTS_01_*.VOB") && before[2].startsWith("[x] VTS_01_0.VOB"),
             qPrintable(before.join(" | ")));
    CheckRow(form->VMGBox, "VIDEO_TS.VOB");

    QTest::mouseClick(form->GoBtn, Qt::LeftButton);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join(" | ")));
    QCOMPARE(Rows(form->VMGBox) + Rows(form->VTSBox) + Rows(form->VTSMenuBox),
             QStringList({"[ ] VIDEO_TS.VOB  10KB", "[ ] VTS_01_*.VOB  10KB", "[ ] VTS_01_0.VOB  10KB"}));
    QVERIFY(!QDir(disc).entryList({"*~"}, QDir::Files).isEmpty());

    QTest::mouseClick(form->OrigBtn, Qt::LeftButton);
    QStringList restored = before;
    restored.replaceInStrings("[x]", "[ ]");
    QCOMPARE(Rows(form->VMGBox) + Rows(form->VTSBox) + Rows(form->VTSMenuBox), restored);
  }
};

QTEST_MAIN(MainFormRunTest)
#include "main_form_run_test.moc"
