#pragma once
// Prompts for the window benchmarks: every question gets the answer a user saving a large
// picture gives (JPEG quality 85, keep the stored thumbnails, do not open the picture);
// errors are printed.
#include <QDialog>
#include <cstdio>

#include "mainwindow/Prompts.h"

namespace qvbench {

class TAnsweringPrompts : public qv::TPrompts {
 public:
  int Errors = 0;
  qv::TPromptButton Message(const qv::TMessageRequest& r) override {
    if (r.Icon == qv::TPromptIcon::Error) {
      ++Errors;
      std::fprintf(stderr, "%s\n", qPrintable(qv::ShowableText(r.Text)));
    }
    return r.Buttons & qv::pbNo ? qv::pbNo : qv::pbOK;
  }
  QString OpenFile(const qv::TFileRequest&) override { return QString(); }
  QString SaveFile(const qv::TFileRequest&) override { return QString(); }
  QString ChooseFolder(const QString&, const QString&) override { return QString(); }
  std::optional<QColor> ChooseColor(const QColor&) override { return std::nullopt; }
  int ExecDialog(QDialog& d) override {
    if (d.objectName() == "jpegoptions") return 85;
    if (d.objectName() == "ResizeWarning") return 2;  // "Use stored thumbs"
    return 3;                                         // "Auto" for a missing tile
  }
};

}  // namespace qvbench
