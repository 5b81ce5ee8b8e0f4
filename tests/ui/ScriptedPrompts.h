#pragma once
// A TPrompts for window tests: answers come from queues filled by the test, and every
// request is recorded so the test can check the texts, captions, icons and filters.
// A request without a queued answer is answered as cancelled and counted in Unanswered
// (a message with only an OK button is simply acknowledged).
#include <QDialog>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "mainwindow/Prompts.h"

namespace qvtest {

class TScriptedPrompts : public qv::TPrompts {
 public:
  std::deque<qv::TPromptButton> Answers;  // message boxes
  std::deque<QString> Files;              // open and save dialogs ("" cancels)
  std::deque<QString> Folders;
  std::deque<std::optional<QColor>> Colors;
  // Save dialogs with types: the type chosen (an empty entry keeps the preselected one).
  std::deque<QString> FileTypes;
  // The program's own modal dialogs: each is handed the dialog, acts on it (sets fields,
  // clicks buttons) and returns the modal result. None queued: the dialog is rejected.
  std::deque<std::function<int(QDialog&)>> Dialogs;
  // When set, answers message boxes instead of the queue (a test may act inside the box).
  std::function<qv::TPromptButton(const qv::TMessageRequest&)> OnMessage;

  std::vector<qv::TMessageRequest> Messages;
  std::vector<qv::TFileRequest> OpenRequests;
  std::vector<qv::TFileRequest> SaveRequests;
  std::vector<QString> DialogNames;  // objectName of every dialog shown
  int Unanswered = 0;

  qv::TPromptButton Message(const qv::TMessageRequest& r) override {
    Messages.push_back(r);
    if (OnMessage) return OnMessage(r);
    if (Answers.empty()) {
      if (r.Buttons != qv::pbOK) ++Unanswered;
      return (r.Buttons & qv::pbCancel) ? qv::pbCancel : (r.Buttons & qv::pbNo) ? qv::pbNo : qv::pbOK;
    }
    qv::TPromptButton b = Answers.front();
    Answers.pop_front();
    return b;
  }
  QString OpenFile(const qv::TFileRequest& r) override {
    OpenRequests.push_back(r);
    return Next(Files);
  }
  QString SaveFile(const qv::TFileRequest& r) override {
    SaveRequests.push_back(r);
    return Next(Files);
  }
  QString SaveFileOfType(const qv::TFileRequest& r, QString& type) override {
    SaveRequests.push_back(r);
    if (!FileTypes.empty()) {
      if (!FileTypes.front().isEmpty()) type = FileTypes.front();
      FileTypes.pop_front();
    }
    return Next(Files);
  }
  int ExecDialog(QDialog& d) override {
    DialogNames.push_back(d.objectName());
    if (Dialogs.empty()) {
      ++Unanswered;
      return QDialog::Rejected;
    }
    auto act = std::move(Dialogs.front());
    Dialogs.pop_front();
    return act(d);
  }
  QString ChooseFolder(const QString&, const QString&) override { return Next(Folders); }
  std::optional<QColor> ChooseColor(const QColor&) override {
    if (Colors.empty()) {
      ++Unanswered;
      return std::nullopt;
    }
    auto c = Colors.front();
    Colors.pop_front();
    return c;
  }

  QString LastText() const { return Messages.empty() ? QString() : Messages.back().Text; }

 private:
  QString Next(std::deque<QString>& q) {
    if (q.empty()) {
      ++Unanswered;
      return QString();
    }
    QString s = q.front();
    q.pop_front();
    return s;
  }
};

}  // namespace qvtest
