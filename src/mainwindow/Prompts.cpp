#include "mainwindow/Prompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "settings/AppSettings.h"

namespace qv {

void TPrompts::Error(const QString& text, const QString& caption) {
  Message({text, caption, TPromptIcon::Error, pbOK, pbOK});
}

void TPrompts::Info(const QString& text, const QString& caption) {
  Message({text, caption, TPromptIcon::Information, pbOK, pbOK});
}

QString TPrompts::SaveFileOfType(const TFileRequest& request, QString&) { return SaveFile(request); }

int TPrompts::ExecDialog(QDialog& dialog) { return dialog.exec(); }

namespace {
TPrompts* g_prompts = nullptr;
}  // namespace

TPrompts& Prompts() {
  static TDefaultPrompts defaults;
  return g_prompts ? *g_prompts : defaults;
}

void SetPrompts(TPrompts* prompts) { g_prompts = prompts; }

void ShowException(const std::exception& e) { Prompts().Error(QString::fromUtf8(e.what()), kApplicationTitle); }

QString ShowableText(const QString& text) {
  QString s = text;
  s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

namespace {

QMessageBox::Icon BoxIcon(TPromptIcon icon) {
  switch (icon) {
    case TPromptIcon::Question:
      return QMessageBox::Question;
    case TPromptIcon::Warning:
      return QMessageBox::Warning;
    case TPromptIcon::Error:
      return QMessageBox::Critical;
    case TPromptIcon::Information:
      break;
  }
  return QMessageBox::Information;
}

QMessageBox::StandardButton BoxButton(TPromptButton b) {
  switch (b) {
    case pbOK:
      return QMessageBox::Ok;
    case pbCancel:
      return QMessageBox::Cancel;
    case pbYes:
      return QMessageBox::Yes;
    case pbNo:
      return QMessageBox::No;
    case pbNone:
      break;
  }
  return QMessageBox::NoButton;
}

QWidget* DialogParent(QWidget* parent) { return parent ? parent : QApplication::activeWindow(); }

}  // namespace

TPromptButton TDefaultPrompts::Message(const TMessageRequest& r) {
  QMessageBox box(BoxIcon(r.Icon), r.Caption, ShowableText(r.Text), QMessageBox::NoButton, DialogParent(parent_));
  for (TPromptButton b : {pbYes, pbNo, pbOK, pbCancel})
    if (r.Buttons & b) box.addButton(BoxButton(b));
  if (r.Default != pbNone) box.setDefaultButton(BoxButton(r.Default));
  if (r.Buttons & pbCancel) box.setEscapeButton(QMessageBox::Cancel);
  box.exec();
  QAbstractButton* clicked = box.clickedButton();
  for (TPromptButton b : {pbYes, pbNo, pbOK, pbCancel})
    if ((r.Buttons & b) && clicked == box.button(BoxButton(b))) return b;
  return (r.Buttons & pbCancel) ? pbCancel : (r.Buttons & pbNo) ? pbNo : pbOK;
}

QString TDefaultPrompts::OpenFile(const TFileRequest& r) {
  return QFileDialog::getOpenFileName(DialogParent(parent_), r.Title, r.Folder, r.Filter);
}

QString TDefaultPrompts::SaveFile(const TFileRequest& r) {
  QFileDialog dialog(DialogParent(parent_), r.Title, r.Folder, r.Filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (!r.DefaultSuffix.isEmpty()) dialog.setDefaultSuffix(r.DefaultSuffix);
  if (!r.FileName.isEmpty()) dialog.selectFile(r.FileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().first();
}

QString TDefaultPrompts::SaveFileOfType(const TFileRequest& r, QString& type) {
  QFileDialog dialog(DialogParent(parent_), r.Title, r.Folder, r.Filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (!type.isEmpty()) dialog.selectNameFilter(type);
  if (!r.FileName.isEmpty()) dialog.selectFile(r.FileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  type = dialog.selectedNameFilter();
  return dialog.selectedFiles().first();
}

QString TDefaultPrompts::ChooseFolder(const QString& title, const QString& folder) {
  return QFileDialog::getExistingDirectory(DialogParent(parent_), title, folder);
}

std::optional<QColor> TDefaultPrompts::ChooseColor(const QColor& initial) {
  QColor c = QColorDialog::getColor(initial, DialogParent(parent_));
  if (!c.isValid()) return std::nullopt;
  return c;
}

}  // namespace qv
