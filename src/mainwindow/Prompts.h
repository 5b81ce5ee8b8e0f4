#pragma once
// Every message box, file dialog, folder chooser and colour chooser of the windows goes
// through TPrompts, so that tests can answer them without a person. TDefaultPrompts shows
// the real dialogs (QMessageBox, QFileDialog, QColorDialog).
//
// Message texts keep the program's carriage-return line breaks ("\r") as they are produced;
// the dialogs turn them into line breaks only when they show them. File filters are in Qt's
// form, several joined with ";;": "qvp (*.qvp);;qv2 (*.qv2)".
#include <QColor>
#include <QString>
#include <QStringList>
#include <exception>
#include <memory>
#include <optional>
#include <string>

class QDialog;
class QWidget;

namespace qv {

enum class TPromptIcon { Question, Warning, Error, Information };

// Buttons of a message box; a set of them is or-ed together.
enum TPromptButton : int { pbNone = 0, pbOK = 1, pbCancel = 2, pbYes = 4, pbNo = 8 };

struct TMessageRequest {
  QString Text;     // with "\r" line breaks
  QString Caption;  // window title
  TPromptIcon Icon = TPromptIcon::Information;
  int Buttons = pbOK;              // or-ed TPromptButton values
  TPromptButton Default = pbNone;  // pbNone: the dialog's own choice
};

struct TFileRequest {
  QString Title;
  QString Folder;         // where the dialog starts
  QString Filter;         // "qvp (*.qvp);;qv2 (*.qv2)"
  QString DefaultSuffix;  // save dialogs: added when the typed name has no extension
  QString FileName;       // save dialogs: the name offered
};

class TPrompts {
 public:
  virtual ~TPrompts() = default;
  // Shows a modal message box; returns the button pressed (pbCancel, or pbNo when there is no
  // Cancel, when the box is closed otherwise).
  virtual TPromptButton Message(const TMessageRequest& request) = 0;
  // The chosen file's full name, or an empty string when cancelled.
  virtual QString OpenFile(const TFileRequest& request) = 0;
  virtual QString SaveFile(const TFileRequest& request) = 0;
  // A save dialog offering several types: filter holds them joined with ";;", type is the
  // one preselected on entry and the one chosen on return. The default asks SaveFile and
  // leaves the type as it was.
  virtual QString SaveFileOfType(const TFileRequest& request, QString& type);
  virtual QString ChooseFolder(const QString& title, const QString& folder) = 0;
  virtual std::optional<QColor> ChooseColor(const QColor& initial) = 0;
  // Shows one of the program's own modal dialogs (a question form) and returns its modal
  // result. The default runs dialog.exec().
  virtual int ExecDialog(QDialog& dialog);

  // Shorthands with an OK button.
  void Error(const QString& text, const QString& caption);
  void Info(const QString& text, const QString& caption);
};

// The dialogs themselves, parented to a window (the active window when none is given).
class TDefaultPrompts : public TPrompts {
 public:
  explicit TDefaultPrompts(QWidget* parent = nullptr) : parent_(parent) {}
  TPromptButton Message(const TMessageRequest& request) override;
  QString OpenFile(const TFileRequest& request) override;
  QString SaveFile(const TFileRequest& request) override;
  QString SaveFileOfType(const TFileRequest& request, QString& type) override;
  QString ChooseFolder(const QString& title, const QString& folder) override;
  std::optional<QColor> ChooseColor(const QColor& initial) override;

 private:
  QWidget* parent_;
};

// The prompts every window uses: TDefaultPrompts unless a test put its own in place.
TPrompts& Prompts();
// Replaces the program's prompts; nullptr restores the default. The caller keeps ownership.
void SetPrompts(TPrompts* prompts);

// The application's default error handler: the error's text in an error box captioned with
// the application title. Commands call it for errors they do not handle themselves; the
// window stays usable.
void ShowException(const std::exception& e);

// "\r" (and "\r\n") as line breaks for showing.
QString ShowableText(const QString& text);
// UTF-8 bytes of the core (file names, messages) as a QString and back.
inline QString FromCore(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
inline std::string ToCore(const QString& s) { return s.toUtf8().toStdString(); }

}  // namespace qv
