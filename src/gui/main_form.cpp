#include "main_form.h"

#include <QBitmap>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QStyledItemDelegate>
#include <cmath>
#include <iterator>

#include "form_layout.h"
#include "window_controls.h"
#include "window_snap.h"

namespace kestrune::gui {

namespace {

using window::Info;
using window::TCheckList;
using window::TControl;
using window::TEditField;
using window::TSwitch;

// Texts of the window logic for Qt: their line breaks are "\r\n".
QString FromUtf8(const std::string& text) {
  return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

std::string ToUtf8(const QString& text) { return text.toStdString(); }

void SetHint(QWidget* control, const QString& hint) {
  control->setToolTip(hint);
  control->setToolTipDuration(window::kHintDisplayTime);
}

// The browse button's picture. Its background is the colour of its lower-left
// pixel and is drawn transparent on the button face.
QPixmap OpenBitmap() {
  QPixmap picture(QStringLiteral(":/OPENBMP.xpm"));
  const QImage image = picture.toImage();
  picture.setMask(picture.createMaskFromColor(image.pixelColor(0, image.height() - 1), Qt::MaskInColor));
  return picture;
}

// A label's text drawn whole within the label's width: Arial's stand-in on
// Linux (Liberation Sans) sets "TitleSet Menus:" 76 pixels wide at 11
// pixels, 3 more than its label has. Rather than move or widen the label, its
// letters are set closer by just the part of a pixel each that makes up the
// difference (0.2 for that text); a text that fits keeps the font's spacing.
void FitLabelText(QLabel* label) {
  QFont font = label->font();
  font.setLetterSpacing(QFont::AbsoluteSpacing, 0);
  const QString text = label->text();
  const qreal excess = QFontMetricsF(font).horizontalAdvance(text) - label->width();
  if (excess > 0) {
    // Tighten in steps of 0.05 pixel until the rounded advance fits.
    qreal spacing = -std::ceil(excess / text.size() * 20) / 20;
    for (;; spacing -= 0.05) {
      font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
      if (QFontMetrics(font).horizontalAdvance(text) <= label->width() || spacing < -1) break;
    }
  }
  label->setFont(font);
}

// Rows of the check lists are 14 pixels high, whatever the style would give.
class TCheckListRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), window::kCheckListRowHeight};
  }
};

// The dialog's filter in Qt's form: "IFO-files (*.ifo);;All files (*.*)".
QString OpenDialogFilter() {
  QStringList choices;
  for (const window::TFilter& filter : window::kOpenDialogFilter) choices << QString::fromLatin1(filter.description);
  return choices.join(QStringLiteral(";;"));
}

bool RunFileDialog(QWidget* owner, TOpenDialog& dialog) {
  // The dialog opens in its initial folder with the last chosen file's name
  // preselected; without an initial folder, in the last chosen file's folder.
  QString start = dialog.FileName;
  if (!dialog.InitialDir.isEmpty()) {
    start = dialog.FileName.isEmpty() ? dialog.InitialDir
                                      : QDir(dialog.InitialDir).filePath(QFileInfo(dialog.FileName).fileName());
  }
  const QString chosen = QFileDialog::getOpenFileName(owner, QString(), start, OpenDialogFilter());
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
  QFont font(QString::fromLatin1(window::kFontFace));  // fontconfig stands Liberation Sans in for Arial
  font.setPixelSize(window::kFontPixelHeight);
  setFont(font);
  CreateControls();
  FormCreate(commandLineArgument);
}

TMainForm::~TMainForm() = default;

void TMainForm::CreateControls() {
  // Each control with its name, caption, hint and start-up place from the
  // window logic's table.
  auto place = [this](auto* control, TControl id) {
    const window::TControlInfo& info = Info(id);
    control->setParent(this);
    FControls[static_cast<std::size_t>(id)] = control;
    control->setObjectName(QLatin1String(info.name));
    control->setGeometry(info.startUp.left, info.startUp.top, info.startUp.width, info.startUp.height);
    if (info.hint[0] != '\0') SetHint(control, FromUtf8(info.hint));
    return control;
  };
  auto caption = [](TControl id) { return QString::fromUtf8(Info(id).caption); };
  auto checkList = [&](TControl id) {
    auto* list = place(new QListWidget, id);
    list->setItemDelegate(new TCheckListRowDelegate(list));
    list->setUniformItemSizes(true);
    return list;
  };
  auto checkBox = [&](TControl id) {
    auto* box = place(new QCheckBox(caption(id)), id);
    // The boxes are only as wide as their captions with a narrow gap before
    // the text; the style's wider gap would cut off the longest caption.
    box->setStyleSheet(QStringLiteral("QCheckBox { spacing: 3px; }"));
    box->setChecked(Info(id).checked);
    return box;
  };
  // Buttons never take the keyboard focus, so pressing one leaves the focus
  // (and an unfinished still-time entry) where it was.
  auto button = [&](TControl id) {
    auto* btn = place(new QPushButton(caption(id)), id);
    btn->setFocusPolicy(Qt::NoFocus);
    return btn;
  };
  auto label = [&](TControl id) {
    auto* text = place(new QLabel(caption(id)), id);
    FitLabelText(text);
    return text;
  };
  auto edit = [&](TControl id) { return place(new QLineEdit(caption(id)), id); };

  DirEdit = edit(TControl::DirEdit);
  OpenDirBtn = button(TControl::OpenDirBtn);
  Label2 = label(TControl::Label2);
  VMGBox = checkList(TControl::VMGBox);
  Label3 = label(TControl::Label3);
  Label1 = label(TControl::Label1);
  VTSBox = checkList(TControl::VTSBox);
  VTSMenuBox = checkList(TControl::VTSMenuBox);
  BackupBox = checkBox(TControl::BackupBox);
  RemoveAudioSubMapBox = checkBox(TControl::RemoveAudioSubMapBox);
  RemStopsBox = checkBox(TControl::RemStopsBox);
  MergeProgsBox = checkBox(TControl::MergeProgsBox);
  MergeCellsBox = checkBox(TControl::MergeCellsBox);
  ReplaceVOBBox = checkBox(TControl::ReplaceVOBBox);
  ReplaceVOBEdit = edit(TControl::ReplaceVOBEdit);
  Label6 = label(TControl::Label6);
  ManualStillTimeBox = checkBox(TControl::ManualStillTimeBox);
  ManualStillTimeEdit = edit(TControl::ManualStillTimeEdit);
  Label4 = label(TControl::Label4);
  OrigBtn = button(TControl::OrigBtn);
  GoBtn = button(TControl::GoBtn);
  DelBtn = button(TControl::DelBtn);

  const auto order = window::TabOrder();
  for (std::size_t i = 1; i < order.size(); ++i)
    setTabOrder(FControls[static_cast<std::size_t>(order[i - 1])], FControls[static_cast<std::size_t>(order[i])]);
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
  QCoreApplication::setApplicationName(QString::fromLatin1(window::kApplicationTitle));
  // Hints stay up for kHintDisplayTime: SetHint gives every hint that time.
  setWindowTitle(QString::fromLatin1(window::kCaption));
  resize(window::kClientWidth, window::kClientHeight);

  OpenDirBtn->setText(QString());
  OpenDirBtn->setIcon(OpenBitmap());
  OpenDirBtn->setIconSize(QSize(window::kOpenBitmapSize, window::kOpenBitmapSize));

  FLogic.FormCreate(ToUtf8(commandLineArgument));
}

void TMainForm::FormResize() {
  const window::TLayout layout = window::FormLayout(width(), height());
  for (std::size_t i = 0; i < layout.size(); ++i)
    FControls[i]->setGeometry(layout[i].left, layout[i].top, layout[i].width, layout[i].height);
}

void TMainForm::FindTitleSets(bool AutoCheck) { FLogic.FindTitleSets(AutoCheck); }
void TMainForm::DirEditChange() { FLogic.DirEditChange(); }
void TMainForm::OpenDirBtnClick() { FLogic.OpenDirBtnClick(); }
void TMainForm::GoBtnClick() { FLogic.GoBtnClick(); }
void TMainForm::OrigBtnClick() { FLogic.OrigBtnClick(); }
void TMainForm::DelBtnClick() { FLogic.DelBtnClick(); }
void TMainForm::ReplaceVOBEditChange() { FLogic.ReplaceVOBEditChange(); }
void TMainForm::ManualStillTimeEditExit() { FLogic.ManualStillTimeEditExit(); }
void TMainForm::ReportStatus(TStatus code, const std::string& detail) { FLogic.ReportStatus(code, detail); }

void TMainForm::SetOpenDialogRunner(OpenDialogRunner runner) { FOpenDialogRunner = std::move(runner); }
void TMainForm::SetMessageBoxShower(MessageBoxShower shower) { FMessageBoxShower = std::move(shower); }
void TMainForm::SetRunObserver(RunObserver observer) { FLogic.SetRunObserver(std::move(observer)); }

QLineEdit* TMainForm::Field(TEditField field) const {
  switch (field) {
    case TEditField::DirEdit: return DirEdit;
    case TEditField::ReplaceVOBEdit: return ReplaceVOBEdit;
    case TEditField::ManualStillTimeEdit: return ManualStillTimeEdit;
  }
  return nullptr;
}

QListWidget* TMainForm::List(TCheckList list) const {
  switch (list) {
    case TCheckList::VMGBox: return VMGBox;
    case TCheckList::VTSBox: return VTSBox;
    case TCheckList::VTSMenuBox: return VTSMenuBox;
  }
  return nullptr;
}

std::string TMainForm::Text(TEditField field) const { return ToUtf8(Field(field)->text()); }

// QLineEdit::setText reports a change only when the text differs.
void TMainForm::SetText(TEditField field, const std::string& text) { Field(field)->setText(QString::fromStdString(text)); }

bool TMainForm::Checked(TSwitch box) const {
  switch (box) {
    case TSwitch::BackupBox: return BackupBox->isChecked();
    case TSwitch::RemoveAudioSubMapBox: return RemoveAudioSubMapBox->isChecked();
    case TSwitch::RemStopsBox: return RemStopsBox->isChecked();
    case TSwitch::MergeProgsBox: return MergeProgsBox->isChecked();
    case TSwitch::MergeCellsBox: return MergeCellsBox->isChecked();
    case TSwitch::ReplaceVOBBox: return ReplaceVOBBox->isChecked();
    case TSwitch::ManualStillTimeBox: return ManualStillTimeBox->isChecked();
  }
  return false;
}

std::vector<ScanRow> TMainForm::Rows(TCheckList list) const {
  const QListWidget* widget = List(list);
  std::vector<ScanRow> rows;
  for (int i = 0; i < widget->count(); ++i)
    rows.push_back({ToUtf8(widget->item(i)->text()), widget->item(i)->checkState() == Qt::Checked});
  return rows;
}

void TMainForm::SetRows(TCheckList list, const std::vector<ScanRow>& rows) {
  QListWidget* widget = List(list);
  widget->clear();
  for (const ScanRow& row : rows) {
    auto* item = new QListWidgetItem(QString::fromStdString(row.text), widget);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(row.checked ? Qt::Checked : Qt::Unchecked);
  }
}

void TMainForm::SetIndicator(const std::string& caption, const std::string& hint) {
  Label6->setText(QString::fromStdString(caption));
  FitLabelText(Label6);
  SetHint(Label6, QString::fromStdString(hint));
}

std::string TMainForm::DialogFileName() const { return ToUtf8(OpenDlg.FileName); }
void TMainForm::SetDialogFileName(const std::string& name) { OpenDlg.FileName = QString::fromStdString(name); }
void TMainForm::SetDialogInitialDir(const std::string& folder) { OpenDlg.InitialDir = QString::fromStdString(folder); }
bool TMainForm::ExecuteOpenDialog() { return FOpenDialogRunner(this, OpenDlg); }

void TMainForm::ShowMessageBox(const std::string& caption, const std::string& text) {
  FMessageBoxShower(FromUtf8(caption), FromUtf8(text));
}

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
