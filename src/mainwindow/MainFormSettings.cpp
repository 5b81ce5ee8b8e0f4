// TForm1: the start-up values read from the settings file, what is opened at start, and the
// state written back when the window goes.
#include <QCheckBox>
#include <QGroupBox>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "controls/SpinEdits.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/WindowBounds.h"
#include "settings/AppSettings.h"

namespace qv {

void TForm1::ReadInitialIni() {
  TStartUpValues v = ReadStartUpValues(SettingsPath);
  RenderType = v.RenderType;
  SetRenderShortcut(RenderType);
  SpinRadius2->SetValue(v.Radius);
  SpinRepetition2->SetValue(v.Repetition);
  ChkFixAuto->setChecked(v.FixAuto);
  ChkFixManual->setChecked(v.FixManual);
  ChkInvertSelection->setChecked(v.InvSelection);
  WizardOnStart = v.WizardOnStart;
  SpinEdit2->SetValue(v.MainScrColor);
  VNSpinEdit1->SetValue(v.MainScrBlend);
  StretchAllowed = false;
  CBFlipOriginal->setChecked(true);
  CBFlipH->setChecked(false);
  CBFlipV->setChecked(false);
  CBRota180->setChecked(false);
  GroupBox1->hide();
  CandidatePopupAllowed = v.AllowPopUpCandidates;
  CandidateCount = v.ShowBestCandidates;
  FastJpegAllowed = v.AllowFastJpg;
  DetailedBackground = v.DetailedBackground;
}

void TForm1::StartUpSetup() {
  switch (ReadOpenOnStart(SettingsPath)) {
    case TOpenOnStart::LastBase: {
      std::string base = ReadLastBase(SettingsPath);
      if (FileExists(base))
        Guarded([&] {
          OpenLibraryByName(base);
          ShowStatus();
        });
      break;
    }
    case TOpenOnStart::LastProject: {
      std::string project = ReadLastProject(SettingsPath);
      if (FileExists(project))
        Guarded([&] {
          OpenQVP(project);
          ShowStatus();
        });
      break;
    }
    case TOpenOnStart::Nothing:
      break;
  }
  SetButtonsOnOff();
}

void TForm1::OpenCommandLineFile(const QString& fileName) {
  Guarded([&] {
    std::string name = ToCore(fileName);
    if (!FileExists(name)) throw EQuivara("File: " + name + " not found.");
    if (RecentKindOf(name) == TRecentKind::Image) throw EQuivara("Wrong format. File: " + name + " can't be open.");
    RecentMenuClick(name);
    SetButtonsOnOff();
  });
}

void TForm1::FormDestroy() {
  if (formDestroyed_) return;
  formDestroyed_ = true;
  TMainWindowState s;
  s.LastBase = QVLib1.BaseName();
  s.LastProject = QVPlan1.BaseName();
  s.Radius = SpinRadius2->Value();
  s.Repetition = SpinRepetition2->Value();
  s.FixAuto = ChkFixAuto->isChecked();
  s.FixManual = ChkFixManual->isChecked();
  s.InvSelection = ChkInvertSelection->isChecked();
  s.Orientations = Orientations();
  s.MainScrColor = SpinEdit2->Value();
  s.MainScrBlend = VNSpinEdit1->Value();
  WriteMainWindowState(SettingsPath, s);
  SaveWindowBounds(SettingsPath, "LayOut", "MainForm", this);
}

}  // namespace qv
