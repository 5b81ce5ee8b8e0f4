#pragma once
// A TPrompts for window tests: answers come from queues filled by the test, and every
// request is recorded so the test can check the texts, captions, icons and filters.
// A request without a queued answer is answered as cancelled and counted in Unanswered
// (a message with only an OK button is simply acknowledged).
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
  // When set, answers message boxes instead of the queue (a test may act inside the box).
  std::function<qv::TPromptButton(const qv::TMessageRequest&)> OnMessage;

  std::vector<qv::TMessageRequest> Messages;
  std::vector<qv::TFileRequest> OpenRequests;
  std::vector<qv::TFileRequest> SaveRequests;
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
