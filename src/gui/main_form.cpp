#include "main_form.h"

#include <QBitmap>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <algorithm>
#include <exception>
#include <iterator>
#include <new>
#include <vector>

#include "backup_commands.h"
#include "dvd_files.h"
#include "file_layer.h"
#include "folder_scan.h"
#include "run_choices.h"
#include "run_options.h"
#include "title_set.h"
#include "window_snap.h"

namespace kestrune::gui {

namespace {

constexpr char kApplicationTitle[] = "Kestrune";
constexpr char kCaption[] = "Kestrune v" KESTRUNE_VERSION " by Ombrel";
constexpr int kClientWidth = 369;
constexpr int kClientHeight = 394;
constexpr int kHintDisplayTime = 30000;  // ms a hint stays up
constexpr int kCheckListRowHeight = 14;
constexpr int kFontPixelSize = 11;

// Text from the engine for a Qt widget: its line breaks are "\r\n".
QString FromEngine(const std::string& text) {
  return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

std::string ToEngine(const QString& text) { return text.toStdString(); }

// The folder part of a path: everything up to and including its last
// delimiter (on Windows its last "\" or ":"), empty when it has none.
QString FolderPartOf(const QString& path) { return QString::fromStdString(kestrune::FolderPartOf(ToEngine(path))); }

void SetHint(QWidget* control, const QString& hint) {
  control->setToolTip(hint);
  control->setToolTipDuration(kHintDisplayTime);
}

// The browse button's picture. Its background is the colour of its lower-left
// pixel and is drawn transparent on the button face.
QPixmap OpenBitmap() {
  QPixmap picture(QStringLiteral(":/OPENBMP.xpm"));
  const QImage image = picture.toImage();
  picture.setMask(picture.createMaskFromColor(image.pixelColor(0, image.height() - 1), Qt::MaskInColor));
  return picture;
}

// Rows of the check lists are 14 pixels high, whatever the style would give.
class TCheckListRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), kCheckListRowHeight};
  }
};

void FillCheckList(QListWidget* list, const std::vector<ScanRow>& rows) {
  list->clear();
  for (const ScanRow& row : rows) {
    auto* item = new QListWidgetItem(QString::fromStdString(row.text), list);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(row.checked ? Qt::Checked : Qt::Unchecked);
  }
}

// The title set numbers of the checked rows, top to bottom, as the engine
// looks them up ("1" for a row starting VTS_01_).
std::vector<int> CheckedTitleSets(const QListWidget* list) {
  std::vector<int> numbers;
  for (int i = 0; i < list->count(); ++i) {
    const QListWidgetItem* item = list->item(i);
    if (item->checkState() != Qt::Checked) continue;
    const std::string number = TitleSetNumberOfRow(ToEngine(item->text()));
    if (!number.empty()) numbers.push_back(std::stoi(number));
  }
  return numbers;
}

bool RunFileDialog(QWidget* owner, TOpenDialog& dialog) {
  // The dialog opens in its initial folder with the last chosen file's name
  // preselected; without an initial folder, in the last chosen file's folder.
  QString start = dialog.FileName;
  if (!dialog.InitialDir.isEmpty()) {
    start = dialog.FileName.isEmpty() ? dialog.InitialDir
                                      : QDir(dialog.InitialDir).filePath(QFileInfo(dialog.FileName).fileName());
  }
  const QString chosen =
      QFileDialog::getOpenFileName(owner, QString(), start, QString::fromLatin1(kOpenDialogFilter));
  if (chosen.isEmpty()) return false;
  // Qt gives "/" on every system; the scan builds its names with the system's delimiter.
  dialog.FileName = QDir::toNativeSeparators(chosen);
  return true;
}

void ShowErrorBox(const QString& caption, const QString& text) {
  QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, nullptr);
  box.exec();
}

// Whether the window system lets a program place its own window; Wayland
// compositors do not.
bool CanPlaceOwnWindow() { return !QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

}  // namespace

TMainForm::TMainForm(const QString& commandLineArgument, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      FOpenDialogRunner(RunFileDialog),
      FMessageBoxShower(ShowErrorBox) {
  setObjectName(QStringLiteral("MainForm"));
  QFont font(QStringLiteral("Arial"));  // fontconfig stands Liberation Sans in for Arial
  font.setPixelSize(kFontPixelSize);
  setFont(font);
  CreateControls();
  FormCreate(commandLineArgument);
}

TMainForm::~TMainForm() = default;

void TMainForm::CreateControls() {
  auto place = [this](auto* control, const char* name, int left, int top, int width, int height) {
    control->setParent(this);
    control->setObjectName(QLatin1String(name));
    control->setGeometry(left, top, width, height);
    return control;
  };
  auto checkList = [&](const char* name, int left, int top, int width, int height) {
    auto* list = place(new QListWidget, name, left, top, width, height);
    list->setItemDelegate(new TCheckListRowDelegate(list));
    list->setUniformItemSizes(true);
    return list;
  };
  auto checkBox = [&](const char* name, const char* caption, const char* hint, bool checked, int left, int top,
                      int width) {
    auto* box = place(new QCheckBox(QString::fromLatin1(caption)), name, left, top, width, 17);
    // The boxes are only as wide as their captions with a narrow gap before
    // the text; the style's wider gap would cut off the longest caption.
    box->setStyleSheet(QStringLiteral("QCheckBox { spacing: 3px; }"));
    if (hint[0] != '\0') SetHint(box, QString::fromLatin1(hint));
    box->setChecked(checked);
    return box;
  };
  // Buttons never take the keyboard focus, so pressing one leaves the focus
  // (and an unfinished still-time entry) where it was.
  auto button = [&](const char* name, const char* caption, const char* hint, int left, int top, int width,
                    int height) {
    auto* btn = place(new QPushButton(QString::fromLatin1(caption)), name, left, top, width, height);
    btn->setFocusPolicy(Qt::NoFocus);
    if (hint[0] != '\0') SetHint(btn, QString::fromLatin1(hint));
    return btn;
  };
  auto label = [&](const char* name, const char* caption, int left, int top, int width) {
    return place(new QLabel(QString::fromLatin1(caption)), name, left, top, width, 14);
  };

  // Tops and sizes marked in FormResize follow the window's size; these are
  // their values at the start-up client size of 369 x 394.
  DirEdit = place(new QLineEdit(QStringLiteral("C:\\DVD\\VIDEO_TS")), "DirEdit", 4, 4, 329, 22);
  OpenDirBtn = button("OpenDirBtn", "", "", 337, 4, 28, 21);
  Label2 = label("Label2", "Video Manager:", 4, 29, 76);
  VMGBox = checkList("VMGBox", 4, 44, 361, 22);
  Label3 = label("Label3", "TitleSet Videos:", 4, 69, 75);
  Label1 = label("Label1", "TitleSet Menus:", 188, 69, 73);
  VTSBox = checkList("VTSBox", 4, 84, 177, 190);
  VTSMenuBox = checkList("VTSMenuBox", 188, 84, 177, 190);
  BackupBox = checkBox("BackupBox", "Backup", "Make backups of modified files.", true, 4, 278, 61);
  RemoveAudioSubMapBox = checkBox("RemoveAudioSubMapBox", "Remove audio- and sub-mapping",
                                  "Remove mapping of audio & subs", true, 72, 278, 185);
  RemStopsBox = checkBox("RemStopsBox", "Remove Stops",
                         "Remove stopping between Cells. (The still-time)\n"
                         "More menus keep working when you check this box.",
                         true, 264, 278, 101);
  MergeProgsBox = checkBox("MergeProgsBox", "Merge Programs",
                           "EXPERIMENTAL:\nMerge multiple Programs of a video to one.", false, 152, 298, 105);
  MergeCellsBox = checkBox("MergeCellsBox", "Merge Cells",
                           "EXPERIMENTAL:\nMerge multiple Cells of a video to one.\n"
                           "This can break functionality, because many menus rely on specific to-cell-jumping.",
                           false, 264, 298, 85);
  ReplaceVOBBox = checkBox("ReplaceVOBBox", "Replacement VOB:",
                           "Use a manual VOB-file as replacement. Not the internal one-frame version.", false, 4,
                           322, 113);
  ReplaceVOBEdit = place(new QLineEdit(QStringLiteral("C:\\REPLACE.VOB")), "ReplaceVOBEdit", 116, 320, 225, 22);
  Label6 = label("Label6", "", 344, 323, 22);
  ManualStillTimeBox =
      checkBox("ManualStillTimeBox", "Manual still-time for replacement VOB:", "", false, 24, 346, 205);
  ManualStillTimeEdit = place(new QLineEdit(QStringLiteral("3")), "ManualStillTimeEdit", 232, 344, 29, 22);
  SetHint(ManualStillTimeEdit, QStringLiteral("0..255"));
  Label4 = label("Label4", "sec", 266, 347, 18);
  OrigBtn = button("OrigBtn", "Back to orig. files", "Delete new files and go back to the original ones.", 4, 368,
                   97, 22);
  GoBtn = button("GoBtn", "Blank!", "", 104, 368, 173, 22);
  DelBtn = button("DelBtn", "Delete backups", "Delete all backup files. = delete all files ending with ~", 280, 368,
                  85, 22);

  QWidget* const tabOrder[] = {BackupBox,     DirEdit,        VTSBox,        VTSMenuBox,          MergeProgsBox,
                                MergeCellsBox, VMGBox,         RemStopsBox,   ReplaceVOBEdit,      ReplaceVOBBox,
                                ManualStillTimeEdit, ManualStillTimeBox, RemoveAudioSubMapBox};
  for (std::size_t i = 1; i < std::size(tabOrder); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);
  DirEdit->setFocus();

  connect(DirEdit, &QLineEdit::textChanged, this, &TMainForm::DirEditChange);
  connect(ReplaceVOBEdit, &QLineEdit::textChanged, this, &TMainForm::ReplaceVOBEditChange);
  connect(OpenDirBtn, &QPushButton::clicked, this, &TMainForm::OpenDirBtnClick);
  connect(GoBtn, &QPushButton::clicked, this, &TMainForm::GoBtnClick);
  connect(OrigBtn, &QPushButton::clicked, this, &TMainForm::OrigBtnClick);
  connect(DelBtn, &QPushButton::clicked, this, &TMainForm::DelBtnClick);
  ManualStillTimeEdit->installEventFilter(this);
}

void TMainForm::FormCreate(const QString& commandLineArgument) {
  QCoreApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
  // Hints stay up for kHintDisplayTime: SetHint gives every hint that time.
  setWindowTitle(QString::fromLatin1(kCaption));
  resize(kClientWidth, kClientHeight);
  FTitleSet.reset();

  OpenDirBtn->setText(QString());
  OpenDirBtn->setIcon(OpenBitmap());
  OpenDirBtn->setIconSize(QSize(18, 18));

  QString argument = commandLineArgument;
  if (argument.size() >= 2 && argument.startsWith(QLatin1Char('"')) && argument.endsWith(QLatin1Char('"')))
    argument = argument.mid(1, argument.size() - 2);
  if (argument.isEmpty()) {
    FindTitleSets(false);
  } else {
    if (FileExists(ToEngine(argument))) OpenDlg.FileName = argument;
    // A folder without a trailing delimiter names its parent's entry, so its
    // parent is scanned; the scan runs from DirEditChange, with AutoCheck.
    const QString folder = FolderPartOf(argument);
    if (FolderExists(ToEngine(folder))) {
      OpenDlg.InitialDir = folder;
      DirEdit->setText(folder);
    }
  }
  ReplaceVOBEditChange();
}

void TMainForm::FormResize() {
  const int w = width();
  const int h = height();
  auto setTop = [](QWidget* control, int top) { control->move(control->x(), top); };

  // The buttons hang 4 pixels above the bottom edge, the option block above them.
  setTop(GoBtn, h - GoBtn->height() - 4);
  setTop(OrigBtn, GoBtn->y());
  setTop(DelBtn, GoBtn->y());
  setTop(BackupBox, GoBtn->y() - 90);
  setTop(RemoveAudioSubMapBox, BackupBox->y());
  setTop(RemStopsBox, BackupBox->y());
  setTop(MergeProgsBox, BackupBox->y() + 20);
  setTop(MergeCellsBox, MergeProgsBox->y());
  setTop(ReplaceVOBBox, MergeProgsBox->y() + 24);
  setTop(ManualStillTimeBox, ReplaceVOBBox->y() + 24);
  setTop(ReplaceVOBEdit, ReplaceVOBBox->y() - 2);
  setTop(ManualStillTimeEdit, ManualStillTimeBox->y() - 2);
  setTop(Label4, ManualStillTimeEdit->y() + 3);
  setTop(Label6, ReplaceVOBEdit->y() + 3);
  // The two big lists take all the height between their fixed top and the
  // option block; a window too low for them leaves them empty-high.
  VTSBox->resize(VTSBox->width(), std::max(0, BackupBox->y() - VTSBox->y() - 4));
  VTSMenuBox->resize(VTSMenuBox->width(), VTSBox->height());
  // The browse button keeps 4 pixels from the right edge; the folder field
  // takes the width up to it.
  OpenDirBtn->move(w - OpenDirBtn->width() - 4, OpenDirBtn->y());
  DirEdit->resize(w - OpenDirBtn->width() - 12, DirEdit->height());
}

void TMainForm::FindTitleSets(bool AutoCheck) {
  const ScanRows rows = FindTitleSetRows(ToEngine(DirEdit->text()), ToEngine(OpenDlg.FileName), AutoCheck);
  FillCheckList(VMGBox, rows.vmg);
  FillCheckList(VTSBox, rows.videos);
  FillCheckList(VTSMenuBox, rows.menus);
}

void TMainForm::DirEditChange() { FindTitleSets(true); }

void TMainForm::OpenDirBtnClick() {
  if (FolderExists(ToEngine(DirEdit->text()))) OpenDlg.InitialDir = DirEdit->text();
  if (!FOpenDialogRunner(this, OpenDlg)) return;
  // Emptying the field first makes the chosen folder scan again, with its
  // IFO's rows checked, even when the field already shows that folder.
  DirEdit->setText(QString());
  DirEdit->setText(FolderPartOf(OpenDlg.FileName));
}

void TMainForm::GoBtnClick() {
  // The status box of a run has no owner window; should a click get through
  // while it is open, the run object it still holds is left alone.
  if (FTitleSet) return;
  try {
    FTitleSet = std::make_unique<TTitleSet>(ToEngine(DirEdit->text()));
  } catch (const std::bad_alloc&) {
    FTitleSet.reset();
  }
  if (!FTitleSet) {
    ReportStatus(kStatusNoEngine);
  } else {
    const QString escaped = RunTitleSet(*FTitleSet);
    FTitleSet.reset();
    // An error that escaped the run ends the command at once, without a rescan.
    if (!escaped.isEmpty()) {
      FMessageBoxShower(QStringLiteral("Error"), escaped);
      return;
    }
  }
  FindTitleSets(false);
}

QString TMainForm::RunTitleSet(TTitleSet& run) {
  if (run.FStatus != kStatusOk) {
    ReportStatus(run.FStatus, run.FStatusDetail);
    return {};
  }
  if (FillRun(run, Choices()).stillTimeFieldReset)
    ManualStillTimeEdit->setText(QString::number(kDefaultStillTime));
  try {
    if (FRunObserver) FRunObserver(run);
    run.Process();
  } catch (const FileError& error) {
    return QStringLiteral("Blanking stopped while the folder was being changed.\n") +
           QString::fromStdString(error.what());
  } catch (const std::exception& error) {
    return QStringLiteral("Blanking stopped.\n") + QString::fromStdString(error.what());
  }
  ReportStatus(run.FStatus, run.FStatusDetail);
  return {};
}

RunChoices TMainForm::Choices() const {
  RunChoices choices;
  choices.backup = BackupBox->isChecked();
  choices.mergePrograms = MergeProgsBox->isChecked();
  choices.mergeCells = MergeCellsBox->isChecked();
  choices.removeStops = RemStopsBox->isChecked();
  choices.replacementVobPath = ToEngine(ReplaceVOBEdit->text());
  choices.useReplacementVob = ReplaceVOBBox->isChecked();
  choices.useManualStillTime = ManualStillTimeBox->isChecked();
  choices.removeAudioSubMapping = RemoveAudioSubMapBox->isChecked();
  // The field is read here as it stands: the buttons take no focus, so an
  // entry not yet limited by leaving the field is limited for the run alone.
  choices.stillTimeText = ToEngine(ManualStillTimeEdit->text());
  choices.blankVmgMenu = VMGBox->count() > 0 && VMGBox->item(0)->checkState() == Qt::Checked;
  choices.titleSets = CheckedTitleSets(VTSBox);
  choices.menuSets = CheckedTitleSets(VTSMenuBox);
  return choices;
}

void TMainForm::OrigBtnClick() {
  // Entries that cannot be restored are passed over by the core and stay as
  // they are; like the rest of this command, that shows no message.
  RestoreBackups(ToEngine(DirEdit->text()));
  FindTitleSets(false);
}

void TMainForm::DelBtnClick() {
  // Backups never appear in the lists, so nothing is rescanned.
  DeleteBackups(ToEngine(DirEdit->text()));
}

void TMainForm::ReplaceVOBEditChange() {
  const bool found = FileExists(ToEngine(ReplaceVOBEdit->text()));
  Label6->setText(found ? QStringLiteral("ok") : QStringLiteral("NA"));
  SetHint(Label6, found ? QStringLiteral("File found.") : QStringLiteral("File not found!"));
}

void TMainForm::ManualStillTimeEditExit() {
  ManualStillTimeEdit->setText(QString::fromStdString(StillTimeFieldOnExit(ToEngine(ManualStillTimeEdit->text()))));
}

void TMainForm::ReportStatus(TStatus code, const std::string& detail) {
  if (code == kStatusOk) return;
  QString text = FromEngine(StatusMessage(code));
  if (!detail.empty()) text += QLatin1Char('\n') + FromEngine(detail);
  FMessageBoxShower(QStringLiteral("Error"), text);
}

void TMainForm::SetOpenDialogRunner(OpenDialogRunner runner) { FOpenDialogRunner = std::move(runner); }
void TMainForm::SetMessageBoxShower(MessageBoxShower shower) { FMessageBoxShower = std::move(shower); }
void TMainForm::SetRunObserver(RunObserver observer) { FRunObserver = std::move(observer); }

void TMainForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FormResize();
}

void TMainForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (FCentred) return;
  FCentred = true;
  if (const QScreen* screen = this->screen(); screen && CanPlaceOwnWindow())
    move(screen->availableGeometry().center() - QRect(QPoint(), frameGeometry().size()).center());
}

void TMainForm::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  const QScreen* screen = this->screen();
  if (FSnapping || !isVisible() || !screen || !CanPlaceOwnWindow()) return;
  const QRect frame = frameGeometry();
  const QPoint snapped = SnapToEdges(frame, screen->availableGeometry());
  if (snapped == frame.topLeft()) return;
  FSnapping = true;
  move(snapped);
  FSnapping = false;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  // Leaving the still-time field for another control limits its text; the
  // window losing activation or a context menu opening does not.
  if (watched == ManualStillTimeEdit && event->type() == QEvent::FocusOut) {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) ManualStillTimeEditExit();
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace kestrune::gui
