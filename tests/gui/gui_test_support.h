// Helpers shared by the window's tests: folders of files of given sizes, the
// check lists as text, and a window whose message boxes are recorded.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QStringList>
#include <memory>

#include "main_form.h"

namespace kestrune::gui::test {

// Writes `size` zero bytes to `path`, making its folder. The folder scan reads
// only sizes, so such files stand in for VOBs and IFOs.
inline void MakeFile(const QString& path, qint64 size) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || !file.resize(size)) qFatal("cannot make %s", qPrintable(path));
}

// The rows of a check list, each as "[x] text" or "[ ] text".
inline QStringList Rows(const QListWidget* list) {
  QStringList rows;
  for (int i = 0; i < list->count(); ++i)
    rows << (list->item(i)->checkState() == Qt::Checked ? "[x] " : "[ ] ") + list->item(i)->text();
  return rows;
}

inline void CheckRow(QListWidget* list, const QString& prefix) {
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->text().startsWith(prefix)) list->item(i)->setCheckState(Qt::Checked);
}

// A window on `argument` whose message boxes land in `messages` as
// "caption: text" instead of on the screen.
inline std::unique_ptr<TMainForm> MakeForm(const QString& argument, QStringList& messages) {
  auto form = std::make_unique<TMainForm>(argument);
  form->SetMessageBoxShower(
      [&messages](const QString& caption, const QString& text) { messages << caption + ": " + text; });
  return form;
}

}  // namespace kestrune::gui::test
