// The main window: controls, layout, command line, rescans, the handing over
// of a run to the engine, the still-time limits and the status box.
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <optional>

#include "file_layer.h"
#include "gui_test_support.h"
#include "title_set.h"
#include "window_snap.h"

using namespace kestrune::gui;
using namespace kestrune::gui::test;
using kestrune::TTitleSet;

namespace {

// How a control follows a resize: its top and/or height with the height, its
// left and/or width with the width.
enum Follow { kStays = 0, kMovesDown = 1, kGrowsDown = 2, kMovesRight = 4, kGrowsRight = 8 };

struct Placement {
  const char* name;
  QRect startUp;  // at the client size 369 x 394
  int follow;
};

const Placement kPlacements[] = {
    {"DirEdit", {4, 4, 329, 22}, kGrowsRight},
    {"OpenDirBtn", {337, 4, 28, 21}, kMovesRight},
    {"Label2", {4, 29, 76, 14}, kStays},
    {"VMGBox", {4, 44, 361, 22}, kStays},
    {"Label3", {4, 69, 75, 14}, kStays},
    {"Label1", {188, 69, 73, 14}, kStays},
    {"VTSBox", {4, 84, 177, 190}, kGrowsDown},
    {"VTSMenuBox", {188, 84, 177, 190}, kGrowsDown},
    {"BackupBox", {4, 278, 61, 17}, kMovesDown},
    {"RemoveAudioSubMapBox", {72, 278, 185, 17}, kMovesDown},
    {"RemStopsBox", {264, 278, 101, 17}, kMovesDown},
    {"MergeProgsBox", {152, 298, 105, 17}, kMovesDown},
    {"MergeCellsBox", {264, 298, 85, 17}, kMovesDown},
    {"ReplaceVOBBox", {4, 322, 113, 17}, kMovesDown},
    {"ReplaceVOBEdit", {116, 320, 225, 22}, kMovesDown},
    {"Label6", {344, 323, 22, 14}, kMovesDown},
    {"ManualStillTimeBox", {24, 346, 205, 17}, kMovesDown},
    {"ManualStillTimeEdit", {232, 344, 29, 22}, kMovesDown},
    {"Label4", {266, 347, 18, 14}, kMovesDown},
    {"OrigBtn", {4, 368, 97, 22}, kMovesDown},
    {"GoBtn", {104, 368, 173, 22}, kMovesDown},
    {"DelBtn", {280, 368, 85, 22}, kMovesDown},
};

}  // namespace

class MainFormTest : public QObject {
  Q_OBJECT

  QTemporaryDir root_;  // root_/VTS_02_*; root_/VIDEO_TS holds the video manager and title sets 1 and 3
  QString disc_;
  QStringList messages_;

  std::unique_ptr<TMainForm> Shown(const QString& argument) {
    auto form = MakeForm(argument, messages_);
    form->show();
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form.get())) qWarning("window did not become active");
    return form;
  }

 private slots:
  void initTestCase() {
    disc_ = root_.path() + "/VIDEO_TS";
    MakeFile(root_.path() + "/VTS_02_0.IFO", 2048);
    MakeFile(root_.path() + "/VTS_02_1.VOB", 3072);
    MakeFile(disc_ + "/VIDEO_TS.IFO", 2048);
    MakeFile(disc_ + "/VIDEO_TS.VOB", 5120);
    MakeFile(disc_ + "/VTS_01_0.IFO", 2048);
    MakeFile(disc_ + "/VTS_01_0.VOB", 2048);
    MakeFile(disc_ + "/VTS_01_1.VOB", 1024);
    MakeFile(disc_ + "/VTS_03_0.IFO", 2048);
    MakeFile(disc_ + "/VTS_03_0.VOB", 3072);
    MakeFile(disc_ + "/VTS_03_1.VOB", 4096);
    MakeFile(disc_ + "/VTS_03_2.VOB", 4096);
  }
  void init() { messages_.clear(); }

  void windowAtStartUp() {
    auto form = Shown(QString());
    QCOMPARE(form->windowTitle(), QString("Kestrune v0.9.5 by Ombrel"));
    QCOMPARE(QCoreApplication::applicationName(), QString("Kestrune"));
    QCOMPARE(form->size(), QSize(369, 394));
    QVERIFY(!(form->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    QCOMPARE(form->DirEdit->font().family(), QString("Arial"));
    QCOMPARE(form->DirEdit->font().pixelSize(), 11);
    QCOMPARE(QApplication::focusWidget(), form->DirEdit);
    QCOMPARE(form->RunObject(), nullptr);
    // Centred when first shown; pulled onto a screen edge it is moved near.
    const QRect area = form->screen()->availableGeometry();
    QVERIFY((form->frameGeometry().center() - area.center()).manhattanLength() <= 1);
    form->move(area.left() + 6, area.top() + 50);
    QTRY_COMPARE(form->pos(), QPoint(area.left(), area.top() + 50));
    for (QPushButton* button : {form->OpenDirBtn, form->OrigBtn, form->GoBtn, form->DelBtn})
      QCOMPARE(button->focusPolicy(), Qt::NoFocus);

    // Tab order among the controls that take the focus.
    QStringList order;
    QWidget* control = form->BackupBox;
    for (int i = 0; i < 14; ++i) {
      order << control->objectName();
      do control = control->nextInFocusChain();
      while (control->parentWidget() != form.get() || !(control->focusPolicy() & Qt::TabFocus));
    }
    QCOMPARE(order, QStringList({"BackupBox", "DirEdit", "VTSBox", "VTSMenuBox", "MergeProgsBox", "MergeCellsBox",
                                 "VMGBox", "RemStopsBox", "ReplaceVOBEdit", "ReplaceVOBBox", "ManualStillTimeEdit",
                                 "ManualStillTimeBox", "RemoveAudioSubMapBox", "BackupBox"}));

    // The browse button's picture: 18 x 18, the grey background transparent,
    // the folder's black outline opaque.
    QVERIFY(form->OpenDirBtn->text().isEmpty());
    const QImage picture = form->OpenDirBtn->icon().pixmap(18, 18).toImage();
    QCOMPARE(picture.size(), QSize(18, 18));
    QCOMPARE(picture.pixelColor(0, 17).alpha(), 0);
    QCOMPARE(picture.pixelColor(0, 8), QColor(Qt::black));
  }

  // Every hint stays up for 30 s, the replacement indicator's included.
  void hints() {
    TMainForm form;
    QStringList hinted;
    for (const QWidget* control : form.findChildren<QWidget*>()) {
      if (control->toolTip().isEmpty()) continue;
      hinted << control->objectName();
      QVERIFY2(control->toolTipDuration() == 30000, qPrintable(control->objectName()));
    }
    hinted.sort();
    QCOMPARE(hinted, QStringList({"BackupBox", "DelBtn", "Label6", "ManualStillTimeEdit", "MergeCellsBox",
                                  "MergeProgsBox", "OrigBtn", "RemStopsBox", "RemoveAudioSubMapBox",
                                  "ReplaceVOBBox"}));
    QCOMPARE(form.Label6->text(), QString("NA"));  // for the start-up text C:\REPLACE.VOB
    QCOMPARE(form.RemStopsBox->toolTip(),
             QString("Remove stopping between Cells. (The still-time)\nMore menus keep working when you check "
                     "this box."));
  }

  // Every control's place at start-up and after the window is made wider
  // and/or taller: only the folder row follows the width, only the lower
  // block and the two big lists follow the height.
  void layout_data() {
    QTest::addColumn<QSize>("client");
    QTest::newRow("start-up") << QSize(369, 394);
    QTest::newRow("wider") << QSize(520, 394);
    QTest::newRow("taller") << QSize(369, 530);
    QTest::newRow("wider and taller") << QSize(450, 480);
  }
  void layout() {
    QFETCH(QSize, client);
    auto form = Shown(QString());
    form->resize(client);
    const int dw = client.width() - 369;
    const int dh = client.height() - 394;
    for (const Placement& p : kPlacements) {
      auto* control = form->findChild<QWidget*>(p.name);
      QVERIFY2(control, p.name);
      const QRect expected = p.startUp.adjusted(p.follow & kMovesRight ? dw : 0, p.follow & kMovesDown ? dh : 0,
                                                p.follow & (kMovesRight | kGrowsRight) ? dw : 0,
                                                p.follow & (kMovesDown | kGrowsDown) ? dh : 0);
      QVERIFY2(control->geometry() == expected, p.name);
    }
  }

  // Every label shows its whole text within its specified width (with
  // Arial's stand-in "TitleSet Menus:" needs its letters set a little closer).
  void labelsShowWhole() {
    TMainForm form;
    for (QLabel* label : {form.Label1, form.Label2, form.Label3, form.Label4, form.Label6}) {
      const QFontMetrics metrics(label->font());
      QVERIFY2(metrics.horizontalAdvance(label->text()) <= label->width(), qPrintable(label->objectName()));
    }
    QCOMPARE(form.Label1->geometry(), QRect(188, 69, 73, 14));
    QVERIFY(form.Label1->font().letterSpacing() <= 0 && form.Label1->font().letterSpacing() > -0.5);
    QCOMPARE(form.Label4->font().letterSpacing(), 0.0);  // "sec" fits as it is
    form.ReplaceVOBEdit->setText(disc_ + "/VTS_01_1.VOB");
    QCOMPARE(form.Label6->text(), QString("ok"));
    QVERIFY(QFontMetrics(form.Label6->font()).horizontalAdvance("ok") <= form.Label6->width());
  }

  void tooLowForTheLists() {
    auto form = Shown(QString());
    form->resize(369, 150);
    QCOMPARE(form->GoBtn->y(), 124);
    QCOMPARE(form->VTSBox->height(), 0);
    QCOMPARE(form->VTSMenuBox->height(), 0);
  }

  void commandLine_data() {
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("folderText");
    QTest::addColumn<QString>("dialogFile");
    QTest::addColumn<QStringList>("rows");  // VMGBox, then VTSBox, then VTSMenuBox
    // {d} is the disc folder, {r} its parent.
    const QStringList discRows = {"[ ] VIDEO_TS.VOB  5KB", "[ ] VTS_01_*.VOB  1KB", "[ ] VTS_03_*.VOB  8KB",
                                  "[ ] VTS_01_0.VOB  2KB", "[ ] VTS_03_0.VOB  3KB"};
    QTest::newRow("none") << "" << "C:\\DVD\\VIDEO_TS" << "" << QStringList();
    QTest::newRow("IFO of title set 3") << "{d}/VTS_03_0.IFO" << "{d}/" << "{d}/VTS_03_0.IFO"
                                        << QStringList({"[ ] VIDEO_TS.VOB  5KB", "[ ] VTS_01_*.VOB  1KB",
                                                        "[x] VTS_03_*.VOB  8KB", "[ ] VTS_01_0.VOB  2KB",
                                                        "[x] VTS_03_0.VOB  3KB"});
    QTest::newRow("quoted video manager IFO")
        << "\"{d}/VIDEO_TS.IFO\"" << "{d}/" << "{d}/VIDEO_TS.IFO"
        << QStringList({"[x] VIDEO_TS.VOB  5KB"}) + discRows.mid(1);
    QTest::newRow("folder without /") << "{d}" << "{r}/" << "" << QStringList({"[ ] VTS_02_*.VOB  3KB"});
    QTest::newRow("folder with /") << "{d}/" << "{d}/" << "" << discRows;
    QTest::newRow("bare file name") << "VTS_03_0.IFO" << "C:\\DVD\\VIDEO_TS" << "" << QStringList();
  }
  void commandLine() {
    QFETCH(QString, argument);
    QFETCH(QString, folderText);
    QFETCH(QString, dialogFile);
    QFETCH(QStringList, rows);
    auto place = [this](QString s) { return s.replace("{d}", disc_).replace("{r}", root_.path()); };
    TMainForm form(place(argument));
    QCOMPARE(form.DirEdit->text(), place(folderText));
    QCOMPARE(form.OpenDlg.FileName, place(dialogFile));
    QCOMPARE(Rows(form.VMGBox) + Rows(form.VTSBox) + Rows(form.VTSMenuBox), rows);
    if (form.VTSBox->count() > 0) QCOMPARE(form.VTSBox->visualItemRect(form.VTSBox->item(0)).height(), 14);
  }

  // Every change of the folder text rescans, with the rows of the dialog's
  // file checked.
  void rescanOnEveryChange() {
    QTemporaryDir dir;
    MakeFile(dir.path() + "/VTS_01_0.IFO", 2048);
    MakeFile(dir.path() + "/VTS_01_1.VOB", 2048);
    TMainForm form;
    form.DirEdit->clear();
    QTest::keyClicks(form.DirEdit, dir.path() + "/");
    QCOMPARE(Rows(form.VTSBox), QStringList({"[ ] VTS_01_*.VOB  2KB"}));

    MakeFile(dir.path() + "/VTS_04_0.IFO", 2048);
    MakeFile(dir.path() + "/VTS_04_1.VOB", 4096);
    form.OpenDlg.FileName = dir.path() + "/VTS_04_0.IFO";
    QTest::keyClick(form.DirEdit, Qt::Key_Backspace);  // the same folder without "/"
    QCOMPARE(Rows(form.VTSBox), QStringList({"[ ] VTS_01_*.VOB  2KB", "[x] VTS_04_*.VOB  4KB"}));
  }

  // The dialog's folder becomes the folder text in two steps, so the chosen
  // IFO's rows come up checked even when its folder is already shown.
  void openDialog() {
    TMainForm form(disc_ + "/");
    QStringList folderTexts;
    connect(form.DirEdit, &QLineEdit::textChanged, &form, [&](const QString& text) { folderTexts << text; });
    QString initialDir;
    bool choose = true;
    form.SetOpenDialogRunner([&](QWidget* owner, TOpenDialog& dialog) {
      if (owner != &form) qFatal("dialog without its owner");
      initialDir = dialog.InitialDir;
      if (choose) dialog.FileName = disc_ + "/VTS_01_0.IFO";
      return choose;
    });
    QTest::mouseClick(form.OpenDirBtn, Qt::LeftButton);
    QCOMPARE(initialDir, disc_ + "/");
    QCOMPARE(folderTexts, QStringList({"", disc_ + "/"}));
    QCOMPARE(Rows(form.VTSBox), QStringList({"[x] VTS_01_*.VOB  1KB", "[ ] VTS_03_*.VOB  8KB"}));

    // A folder text naming no folder leaves the dialog's folder; cancelling
    // changes nothing.
    form.DirEdit->setText("/no/such/folder");
    folderTexts.clear();
    choose = false;
    form.OpenDirBtnClick();
    QCOMPARE(initialDir, disc_ + "/");
    QVERIFY(folderTexts.isEmpty());
    QCOMPARE(form.OpenDlg.FileName, disc_ + "/VTS_01_0.IFO");
  }

  // "Blank!" hands the controls to the engine, then rescans with nothing checked.
  void blankHandsOverChoices() {
    QTemporaryDir dir;
    for (const char* name : {"VTS_01_0.IFO", "VTS_01_1.VOB", "VTS_12_0.IFO", "VTS_12_0.VOB", "VTS_12_1.VOB"})
      MakeFile(dir.path() + "/" + name, 2048);
    auto form = MakeForm("", messages_);
    form->DirEdit->setText(dir.path() + "/");
    CheckRow(form->VTSBox, "VTS_01_");
    CheckRow(form->VTSMenuBox, "VTS_12_");
    form->BackupBox->setChecked(false);
    form->MergeProgsBox->setChecked(true);
    form->RemStopsBox->setChecked(false);
    form->ReplaceVOBBox->setChecked(true);
    form->ReplaceVOBEdit->setText("/nowhere/r.VOB");
    form->ManualStillTimeEdit->setText("abc");  // not read: its box is unchecked
    std::optional<TTitleSet> seen;
    form->SetRunObserver([&](TTitleSet& run) {
      QCOMPARE(form->RunObject(), &run);
      seen.emplace(run);
    });
    QTest::mouseClick(form->GoBtn, Qt::LeftButton);
    QVERIFY(seen);
    QCOMPARE(seen->FVideoList, std::vector<std::string>({"1"}));
    QCOMPARE(seen->FMenuList, std::vector<std::string>({"12"}));
    QCOMPARE(seen->FDvdDir, (dir.path() + "/").toStdString());
    QVERIFY(!seen->FBlankVmgMenu);
    QVERIFY(!seen->FBackup && seen->FMergePrograms && !seen->FMergeCells && !seen->FRemoveStops);
    QVERIFY(seen->FUseReplacementVob && !seen->FUseManualStillTime && seen->FRemoveAudioSubMapping);
    QCOMPARE(seen->FReplacementVobPath, std::string("/nowhere/r.VOB"));
    QCOMPARE(seen->FManualStillTime, 0);
    QCOMPARE(form->ManualStillTimeEdit->text(), QString("abc"));
    QCOMPARE(form->RunObject(), nullptr);
    QCOMPARE(messages_.size(), 1);  // the engine refuses these synthetic files
    QCOMPARE(Rows(form->VTSBox), QStringList({"[ ] VTS_01_*.VOB  2KB", "[ ] VTS_12_*.VOB  2KB"}));
    QCOMPARE(Rows(form->VTSMenuBox), QStringList({"[ ] VTS_12_0.VOB  2KB"}));
  }

  void blankRefused() {
    auto form = MakeForm("", messages_);
    bool ran = false;
    form->SetRunObserver([&](TTitleSet&) { ran = true; });
    form->DirEdit->setText("/no/such/folder");
    form->GoBtnClick();
    QCOMPARE(messages_, QStringList({"Error: Can't find the given path!"}));
    QVERIFY(!ran);
    QCOMPARE(form->VTSMenuBox->count(), 0);

    // Nothing checked: the engine's refusal, then a rescan.
    messages_.clear();
    form->DirEdit->setText(disc_);
    form->GoBtnClick();
    QCOMPARE(messages_, QStringList({"Error: No TitleSets given to process!"}));
    QCOMPARE(form->VTSMenuBox->count(), 2);
  }

  // A file error escaping the run: its box names the file and the reason, the
  // run object is gone and the rows are not rescanned.
  void fileErrorEndsTheCommand() {
    auto form = MakeForm(disc_ + "/VTS_01_0.IFO", messages_);
    const std::string vob = (disc_ + "/VTS_01_1.VOB").toStdString();
    form->SetRunObserver([&](TTitleSet&) {
      throw kestrune::FileError(vob, "write", std::make_error_code(std::errc::no_space_on_device));
    });
    form->GoBtnClick();
    QCOMPARE(messages_.size(), 1);
    QVERIFY2(messages_[0].startsWith("Error: ") && messages_[0].contains(QString::fromStdString(vob)) &&
                 messages_[0].contains("No space left on device"),
             qPrintable(messages_[0]));
    QCOMPARE(form->RunObject(), nullptr);
    QVERIFY(Rows(form->VTSBox).first().startsWith("[x]"));
  }

  void stillTime_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("forRun");
    QTest::addColumn<QString>("fieldAfterRun");
    QTest::addColumn<QString>("fieldOnExit");
    QTest::newRow("abc") << "abc" << 3 << "3" << "3";
    QTest::newRow("300") << "300" << 255 << "300" << "255";
    QTest::newRow("-5") << "-5" << 0 << "-5" << "0";
    QTest::newRow("42") << "42" << 42 << "42" << "42";
    QTest::newRow("256") << "256" << 255 << "256" << "255";
    QTest::newRow("empty") << "" << 3 << "3" << "3";
  }
  // In the run the field is limited without leaving it; leaving it for another
  // control limits the text.
  void stillTime() {
    QFETCH(QString, text);
    QFETCH(int, forRun);
    QFETCH(QString, fieldAfterRun);
    QFETCH(QString, fieldOnExit);
    auto form = Shown(disc_ + "/");
    form->ManualStillTimeBox->setChecked(true);
    form->ManualStillTimeEdit->setFocus();
    form->ManualStillTimeEdit->setText(text);
    int used = -1;
    form->SetRunObserver([&](TTitleSet& run) { used = run.FManualStillTime; });
    QTest::mouseClick(form->GoBtn, Qt::LeftButton);
    QCOMPARE(used, forRun);
    QCOMPARE(form->ManualStillTimeEdit->text(), fieldAfterRun);
    QCOMPARE(QApplication::focusWidget(), form->ManualStillTimeEdit);

    form->ManualStillTimeEdit->setText(text);
    form->DirEdit->setFocus();
    QCOMPARE(form->ManualStillTimeEdit->text(), fieldOnExit);
  }

  void reportStatus_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("0") << 0 << "" << QStringList();
    QTest::newRow("-20") << -20 << "" << QStringList({"Error: No TitleSets given to process!"});
    QTest::newRow("-100") << -100 << "" << QStringList({"Error: Can't find the given path!"});
    QTest::newRow("-7") << -7 << "" << QStringList({"Error: Unknown Error!\nError Code: -7"});
    QTest::newRow("with detail") << -150 << "VTS_01_0.IFO: VTS_PGCI ends past the file."
                                 << QStringList({"Error: Given IFO-file is invalid!\nVTS_01_0.IFO: VTS_PGCI ends "
                                                 "past the file."});
  }
  void reportStatus() {
    QFETCH(int, code);
    QFETCH(QString, detail);
    QFETCH(QStringList, shown);
    MakeForm("", messages_)->ReportStatus(code, detail.toStdString());
    QCOMPARE(messages_, shown);
  }

  // Without a seam the status is a modal box of its own: error icon, one OK
  // button, caption "Error", no owner window.
  void statusBoxItself() {
    TMainForm form;
    QString seen;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      seen = QString("%1|%2|%3|%4|%5")
                 .arg(box->windowTitle(), box->text())
                 .arg(box->icon() == QMessageBox::Critical)
                 .arg(box->standardButtons() == QMessageBox::Ok)
                 .arg(box->parentWidget() == nullptr);
      box->button(QMessageBox::Ok)->click();
    });
    form.ReportStatus(-100);
    QCOMPARE(seen, QString("Error|Can't find the given path!|1|1|1"));
  }

  void replacementIndicator_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    QTest::newRow("file") << "{d}/VTS_01_1.VOB" << "ok" << "File found.";
    QTest::newRow("missing") << "{d}/VTS_09_1.VOB" << "NA" << "File not found!";
    QTest::newRow("folder") << "{d}" << "NA" << "File not found!";
  }
  void replacementIndicator() {
    QFETCH(QString, path);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    TMainForm form;
    form.ReplaceVOBEdit->setText(path.replace("{d}", disc_));
    QCOMPARE(form.Label6->text(), caption);
    QCOMPARE(form.Label6->toolTip(), hint);
  }

  // "Back to orig. files" restores and rescans; "Delete backups" does not rescan.
  void backupCommands() {
    QTemporaryDir dir;
    MakeFile(dir.path() + "/VTS_01_0.IFO", 2048);
    MakeFile(dir.path() + "/VTS_01_1.VOB", 10240);
    MakeFile(dir.path() + "/VTS_01_1.VOB~", 20480);
    MakeFile(dir.path() + "/VTS_01_2.VOB~", 4096);
    TMainForm form(dir.path() + "/");
    QCOMPARE(Rows(form.VTSBox), QStringList({"[ ] VTS_01_*.VOB  10KB"}));
    QTest::mouseClick(form.OrigBtn, Qt::LeftButton);
    QCOMPARE(Rows(form.VTSBox), QStringList({"[ ] VTS_01_*.VOB  24KB"}));
    QVERIFY(QDir(dir.path()).entryList({"*~"}, QDir::Files).isEmpty());

    MakeFile(dir.path() + "/VTS_01_0.IFO~", 2048);
    MakeFile(dir.path() + "/VTS_02_0.IFO", 2048);
    MakeFile(dir.path() + "/VTS_02_1.VOB", 2048);
    QTest::mouseClick(form.DelBtn, Qt::LeftButton);
    QVERIFY(QDir(dir.path()).entryList({"*~"}, QDir::Files).isEmpty());
    QCOMPARE(form.VTSBox->count(), 1);
  }

  void snapToEdges_data() {
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QPoint>("snapped");
    QTest::newRow("near left") << QRect(8, 300, 200, 100) << QPoint(0, 300);
    QTest::newRow("too far left") << QRect(9, 300, 200, 100) << QPoint(9, 300);
    QTest::newRow("near right") << QRect(795, 300, 200, 100) << QPoint(800, 300);
    QTest::newRow("near top of work area") << QRect(300, 35, 200, 100) << QPoint(300, 30);
    QTest::newRow("past bottom") << QRect(300, 704, 200, 100) << QPoint(300, 700);
    QTest::newRow("corner") << QRect(-3, 695, 200, 100) << QPoint(0, 700);
    QTest::newRow("middle") << QRect(400, 300, 200, 100) << QPoint(400, 300);
  }
  void snapToEdges() {
    QFETCH(QRect, frame);
    QFETCH(QPoint, snapped);
    QCOMPARE(SnapToEdges(frame, QRect(0, 30, 1000, 770)), snapped);
  }
};

QTEST_MAIN(MainFormTest)
#include "main_form_test.moc"
