// TForm1: "Mosaic quality...", the report window over the open mosaic, its plan and library.
#include <exception>

#include "mainwindow/MainForm.h"
#include "mainwindow/Prompts.h"
#include "mainwindow/QualityForm.h"

namespace qv {

void TForm1::Mosaicquality1Click() {
  if (!QVPlan1.TableIsOpen() || !QVLib1.TableIsOpen() || !QVMosaic1.TableIsOpen() || mosaicRunning_) return;
  try {
    TQualityForm form(QVLib1, QVPlan1, QVMosaic1, settingsPath_, this);
    Prompts().ExecDialog(form);
  } catch (const std::exception& e) {
    ShowException(e);  // a library whose signatures do not fit the project
  }
}

}  // namespace qv
