#include "wizard/WizardCommand.h"

#include <QEvent>
#include <QTimer>

#include "controls/DrawGrid.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/MosaicView.h"
#include "mainwindow/Prompts.h"
#include "wizard/Wizard.h"

namespace qv {

namespace {

// Runs the wizard once, on the main window's first activation (FirstActivationDone). A window
// shown where nothing activates windows (no window manager) counts as activated when shown.
class TStartUpWizard : public QObject {
 public:
  explicit TStartUpWizard(TForm1& form) : QObject(&form), form_(form) { form.installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched == &form_ && (e->type() == QEvent::WindowActivate || e->type() == QEvent::Show) &&
        !firstActivationDone_) {
      firstActivationDone_ = true;
      form_.removeEventFilter(this);
      if (form_.Preferences().WizardOnStart)
        QTimer::singleShot(0, &form_, [form = &form_] { form->Guarded([form] { RunQuivaraWizard1Click(*form); }); });
    }
    return QObject::eventFilter(watched, e);
  }

 private:
  TForm1& form_;
  bool firstActivationDone_ = false;
};

}  // namespace

void PrepareWizard(TForm1& form, TWizard& wizard) {
  wizard.SetShowOnStart(form.Preferences().WizardOnStart);
  wizard.SetCustomVisible(false);
  wizard.SetUseThumbs(true, false);
  wizard.SetDirectToDisk(false, false);
  const bool area = form.QVPlan1.TableIsOpen() && !form.MosaicView().DrawGrid1->Selection().IsOneCell();
  wizard.SetSelectedArea(area, area);
  wizard.SetCurrentBaseText("Current base: " + FromCore(form.QVLib1.BaseName()));
  wizard.WizardJpegQuality = 75;
  wizard.WizardDistance = form.Distance();
  wizard.WizardRepeat = form.Repeat();
}

void RunQuivaraWizard1Click(TForm1& form) {
  if (form.MosaicRunning()) return;
  form.WizardRenderChoice = 0;
  {
    TWizard wizard(form, &form);
    PrepareWizard(form, wizard);
    Prompts().ExecDialog(wizard);
  }
  form.ShowStatus();
  form.SetButtonsOnOff();
  const int choice = form.WizardRenderChoice;
  form.WizardRenderChoice = 0;
  if (choice < 1 || choice > 3) return;
  form.RenderMosaic(choice - 1);
  form.SaveQVP1Click();
}

void InstallWizard(TForm1& form, bool offerAtStart) {
  TMainCommand wizard;
  wizard.Name = "RunQuivaraWizard1";
  wizard.Caption = "Run Quivara Wizard";
  wizard.Glyph = "wizard";
  wizard.Shortcut = QKeySequence(Qt::CTRL | Qt::Key_W);
  wizard.Run = [&form] { RunQuivaraWizard1Click(form); };
  wizard.Button = "SpeedButton11";
  form.AddCommand(TMenuPlace::Wizard, wizard);
  if (offerAtStart) new TStartUpWizard(form);
}

}  // namespace qv
