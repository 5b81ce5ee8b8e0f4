#include "manual/ManualCommands.h"

#include "mainwindow/MainForm.h"
#include "manual/ManualForma.h"

namespace qv {

TManualForma* InstallManualTilesCommands(TForm1& form) {
  auto* window = new TManualForma(form);
  form.ManualWindow = window;

  TMainCommand manual;
  manual.Name = "Manualtilesmode1";
  manual.Caption = "Manual tiles mode";
  manual.Glyph = "manual";
  manual.Shortcut = QKeySequence(Qt::CTRL | Qt::Key_M);
  manual.Run = [window] { window->ShowWindow(); };
  manual.Enabled = [&form] { return form.QVLib1.TableIsOpen() && form.QVMosaic1.TableIsOpen(); };
  manual.Button = "SpeedButton8";
  form.AddCommand(TMenuPlace::ManualTiles, manual);
  return window;
}

}  // namespace qv
