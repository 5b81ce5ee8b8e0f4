// TForm1: the start-up values read from the settings file, what is opened at start, and the
// state written back when the window goes.
#include <QCheckBox>
#include <QGroupBox>
#include <QTimer>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "controls/SpinEdits.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/WindowBounds.h"
#include "settings/AppSettings.h"
#include "settings/PreferenceSettings.h"

namespace qv {

void TForm1::ReadInitialIni() {
  const TStartUpValues v = ReadStartUpValues(settingsPath_);
  SpinRadius2->SetValue(v.Radius);
  SpinRepetition2->SetValue(v.Repetition);
  ChkFixAuto->setChecked(v.FixAuto);
  ChkFixManual->setChecked(v.FixManual);
  ChkInvertSelection->setChecked(v.InvSelection);
  SpinEdit2->SetValue(v.MainScrColor);
  VNSpinEdit1->SetValue(v.MainScrBlend);
  TMainPreferences p;
  p.RenderType = v.RenderType;
  p.WizardOnStart = v.WizardOnStart;
  // The two switches of the preferences start as they were saved, so that the window does
  // what the dialog shows; "Original" alone is ticked either way.
  p.StretchAllowed = v.AllowStretchTiles;
  p.FlipRotateAllowed = v.AllowFlipRotate;
  CBFlipOriginal->setChecked(true);
  CBFlipH->setChecked(false);
  CBFlipV->setChecked(false);
  CBRota180->setChecked(false);
  p.CandidatePopupAllowed = v.AllowPopUpCandidates;
  p.CandidateCount = v.ShowBestCandidates;
  p.FastJpegAllowed = v.AllowFastJpg;
  p.DetailedBackground = v.DetailedBackground;
  SetPreferences(p);
}

void TForm1::SetPreferences(const TMainPreferences& preferences) {
  const bool newCount = preferences.CandidateCount != preferences_.CandidateCount;
  preferences_ = preferences;
  if (newCount) InitPopUpMenu();
  SetRenderShortcut(preferences_.RenderType);
  GroupBox1->setVisible(preferences_.FlipRotateAllowed);
  if (!preferences_.FlipRotateAllowed) {
    CBFlipOriginal->setChecked(true);
    CBFlipH->setChecked(false);
    CBFlipV->setChecked(false);
    CBRota180->setChecked(false);
  }
}

void TForm1::ResetRunSettings() {
  SpinRadius2->SetValue(6);
  SpinRepetition2->SetValue(0);
  ChkFixAuto->setChecked(false);
  ChkFixManual->setChecked(true);
  ChkInvertSelection->setChecked(false);
  SpinEdit2->SetValue(50);
  VNSpinEdit1->SetValue(20);
  CBFlipOriginal->setChecked(true);
  CBFlipH->setChecked(false);
  CBFlipV->setChecked(false);
  CBRota180->setChecked(false);
  WriteDefaultRunSettings(settingsPath_);
}

void TForm1::StartUpSetup() {
  switch (ReadOpenOnStart(settingsPath_)) {
    case TOpenOnStart::LastBase: {
      std::string base = ReadLastBase(settingsPath_);
      if (FileExists(base))
        Guarded([&] {
          OpenLibraryByName(base);
          ShowStatus();
        });
      break;
    }
    case TOpenOnStart::LastProject: {
      std::string project = ReadLastProject(settingsPath_);
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
    const std::string name = ToCore(fileName);
    if (!FileExists(name)) throw EQuivara("File: " + name + " not found.");
    if (RecentKindOf(name) != TRecentKind::Image) {
      RecentMenuClick(name);
      SetButtonsOnOff();
      return;
    }
    // A picture opens in the source setup, a modal window, so it waits until the main
    // window is up; without a library open the user is asked to open one first.
    QTimer::singleShot(0, this, [this, name] {
      Guarded([&] {
        OpenPictureByName(name);
        SetButtonsOnOff();
      });
    });
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
  WriteMainWindowState(settingsPath_, s);
  SaveWindowBounds(settingsPath_, "LayOut", "MainForm", this);
}

}  // namespace qv
