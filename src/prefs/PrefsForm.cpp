#include "prefs/PrefsForm.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <initializer_list>
#include <set>

#include "controls/NamedWidget.h"
#include "controls/SpinEdits.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/Prompts.h"
#include "settings/AppSettings.h"

namespace qv {

namespace {

QPushButton* MakeButton(const char* name, const QString& caption, QWidget* parent) {
  auto* button = MakeNamed<QPushButton>(name, caption, parent);
  button->setAutoDefault(false);
  return button;
}

bool Ask(const QString& question) {
  return Prompts().Message({question, AppTitle, TPromptIcon::Question, pbOK | pbCancel, pbOK}) == pbOK;
}

}  // namespace

TPrefsForm::TPrefsForm(TForm1& mainForm, QWidget* parent) : QDialog(parent ? parent : &mainForm), main_(mainForm) {
  setObjectName("PrefsForm");
  setWindowTitle("Preferences");
  SetHelpContext(this, kHelpContext);

  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName("PageControl1");
  PageControl1->addTab(CreateGeneralPage(), "General");
  PageControl1->addTab(CreateAdvancedPage(), "Advanced");

  BitBtn2 = MakeButton("BitBtn2", "Save", this);
  BitBtn2->setDefault(true);
  BitBtn1 = MakeButton("BitBtn1", "Cancel", this);
  BitBtnHlp = MakeButton("BitBtnHlp", "Help", this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (QPushButton* b : {BitBtn2, BitBtn1, BitBtnHlp}) buttons->addWidget(b);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(PageControl1, 1);
  layout->addLayout(buttons);

  connect(BitBtn2, &QPushButton::clicked, this, [this] { main_.Guarded([this] { BitBtn2Click(); }); });
  connect(BitBtn1, &QPushButton::clicked, this, &TPrefsForm::BitBtn1Click);
  connect(BitBtnHlp, &QPushButton::clicked, this, &TPrefsForm::BitBtnHlpClick);
  connect(BitBtn3, &QPushButton::clicked, this, [this] { main_.Guarded([this] { BitBtn3Click(); }); });
  connect(BitBtn4, &QPushButton::clicked, this, [this] { main_.Guarded([this] { BitBtn4Click(); }); });
  connect(CheckBox5, &QCheckBox::toggled, this, &TPrefsForm::CheckBox5Click);

  // The file's keys, except the switches the main window holds itself: stretching and flips
  // as the window works now, and the candidate pop-up as the window uses it.
  TPreferenceValues v = ReadPreferenceValues(main_.SettingsPath());
  const TMainPreferences& now = main_.Preferences();
  v.AllowStretchTiles = now.StretchAllowed;
  v.AllowFlipRotate = now.FlipRotateAllowed;
  v.AllowPopUpCandidates = now.CandidatePopupAllowed;
  v.CandidateCount = now.CandidateCount;
  ShowValues(v);
}

QWidget* TPrefsForm::CreateGeneralPage() {
  auto* page = new QWidget;
  page->setObjectName("TabSheet1");
  SetHelpContext(page, kGeneralHelpContext);

  auto* startUp = new QGroupBox(" Start up ", page);
  startUp->setObjectName("GroupBox1");
  RadioButton1 = MakeNamed<QRadioButton>("RadioButton1", "Blank", startUp);
  RadioButton2 = MakeNamed<QRadioButton>("RadioButton2", "Open last base", startUp);
  RadioButton3 = MakeNamed<QRadioButton>("RadioButton3", "Open last project", startUp);
  CheckBox1 = MakeNamed<QCheckBox>("CheckBox1", "Show wizard", startUp);
  auto* startLayout = new QVBoxLayout(startUp);
  for (QWidget* w : std::initializer_list<QWidget*>{RadioButton1, RadioButton2, RadioButton3})
    startLayout->addWidget(w);
  startLayout->addSpacing(6);
  startLayout->addWidget(CheckBox1);

  auto* mode = new QGroupBox("Default render mode", page);
  mode->setObjectName("GroupBox2");
  RadioButton4 = MakeNamed<QRadioButton>("RadioButton4", "Mosaic from top", mode);
  RadioButton5 = MakeNamed<QRadioButton>("RadioButton5", "Random mosaic", mode);
  RadioButton6 = MakeNamed<QRadioButton>("RadioButton6", "Smart mosaic", mode);
  auto* modeLayout = new QVBoxLayout(mode);
  for (QRadioButton* r : {RadioButton4, RadioButton5, RadioButton6}) modeLayout->addWidget(r);
  modeLayout->addStretch(1);

  CheckBox2 = MakeNamed<QCheckBox>("CheckBox2", "Remember last Blend% setting", page);
  BitBtn3 = MakeButton("BitBtn3", "Reset all settings to default", page);
  BitBtn4 = MakeButton("BitBtn4", "Clean recent used files menu", page);

  auto* groups = new QHBoxLayout;
  groups->addWidget(startUp, 1);
  groups->addWidget(mode, 1);
  auto* actions = new QHBoxLayout;
  actions->addWidget(BitBtn3);
  actions->addWidget(BitBtn4);
  actions->addStretch(1);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(groups);
  layout->addWidget(CheckBox2);
  layout->addStretch(1);
  layout->addLayout(actions);
  return page;
}

QWidget* TPrefsForm::CreateAdvancedPage() {
  auto* page = new QWidget;
  page->setObjectName("TabSheet2");
  SetHelpContext(page, kAdvancedHelpContext);
  CheckBox3 = MakeNamed<QCheckBox>("CheckBox3", "Allow stretch tiles", page);
  CheckBox4 = MakeNamed<QCheckBox>("CheckBox4", "Allow flip/rotate tiles", page);
  CheckBox5 = MakeNamed<QCheckBox>("CheckBox5", "Use PopUp to show candidate tiles", page);
  Label1 = new QLabel("Show", page);
  Label1->setObjectName("Label1");
  SpinEdit1 = new TVNSpinEdit(kMinCandidateCount, kMaxCandidateCount, 1, kDefaultCandidateCount, page);
  SpinEdit1->setObjectName("SpinEdit1");
  Label1->setBuddy(SpinEdit1);
  Label2 = new QLabel("best candidates", page);
  Label2->setObjectName("Label2");
  CheckBox6 = MakeNamed<QCheckBox>("CheckBox6", "Use fast scan for jpg tiles", page);
  CheckBox7 = MakeNamed<QCheckBox>("CheckBox7", "Use detailed background", page);

  auto* candidates = new QHBoxLayout;
  candidates->setContentsMargins(20, 0, 0, 0);
  candidates->addWidget(Label1);
  candidates->addWidget(SpinEdit1);
  candidates->addWidget(Label2);
  candidates->addStretch(1);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(CheckBox3);
  layout->addWidget(CheckBox4);
  layout->addSpacing(6);
  layout->addWidget(CheckBox5);
  layout->addLayout(candidates);
  layout->addSpacing(6);
  layout->addWidget(CheckBox6);
  layout->addWidget(CheckBox7);
  layout->addStretch(1);
  return page;
}

void TPrefsForm::ShowValues(const TPreferenceValues& v) {
  RadioButton1->setChecked(v.OpenOnStart == TStartChoice::Blank);
  RadioButton2->setChecked(v.OpenOnStart == TStartChoice::LastBase);
  RadioButton3->setChecked(v.OpenOnStart == TStartChoice::LastProject);
  CheckBox1->setChecked(v.WizardOnStart);
  CheckBox2->setChecked(v.RememberBlendSetting);
  RadioButton4->setChecked(v.RenderType == 0);
  RadioButton5->setChecked(v.RenderType == 1);
  RadioButton6->setChecked(v.RenderType != 0 && v.RenderType != 1);
  CheckBox3->setChecked(v.AllowStretchTiles);
  CheckBox4->setChecked(v.AllowFlipRotate);
  CheckBox5->setChecked(v.AllowPopUpCandidates);
  SpinEdit1->SetValue(v.CandidateCount);
  CheckBox6->setChecked(v.AllowFastJpg);
  CheckBox7->setChecked(v.DetailedBackground);
  CheckBox5Click();
}

TPreferenceValues TPrefsForm::Values() const {
  TPreferenceValues v;
  v.OpenOnStart = RadioButton2->isChecked()   ? TStartChoice::LastBase
                  : RadioButton3->isChecked() ? TStartChoice::LastProject
                                              : TStartChoice::Blank;
  v.WizardOnStart = CheckBox1->isChecked();
  v.RememberBlendSetting = CheckBox2->isChecked();
  v.RenderType = RadioButton4->isChecked() ? 0 : RadioButton5->isChecked() ? 1 : 2;
  v.AllowStretchTiles = CheckBox3->isChecked();
  v.AllowFlipRotate = CheckBox4->isChecked();
  v.AllowPopUpCandidates = CheckBox5->isChecked();
  v.CandidateCount = SpinEdit1->Value();
  v.AllowFastJpg = CheckBox6->isChecked();
  v.DetailedBackground = CheckBox7->isChecked();
  return v;
}

void TPrefsForm::ApplyToMainWindow(const TPreferenceValues& v) {
  TMainPreferences p = main_.Preferences();
  p.RenderType = v.RenderType;
  p.WizardOnStart = v.WizardOnStart;
  p.StretchAllowed = v.AllowStretchTiles;
  p.FlipRotateAllowed = v.AllowFlipRotate;
  p.CandidatePopupAllowed = v.AllowPopUpCandidates;
  p.CandidateCount = v.CandidateCount;
  p.FastJpegAllowed = v.AllowFastJpg;
  p.DetailedBackground = v.DetailedBackground;
  main_.SetPreferences(p);
}

void TPrefsForm::CheckKept(const char* section, const char* key, const std::string& value) {
  // Once per settings file while the program runs.
  static std::set<std::string> told;
  const std::string& path = main_.SettingsPath();
  if (SettingsValueIs(path, section, key, value) || !told.insert(path).second) return;
  Prompts().Message({"The settings file " + FromCore(path) +
                         " cannot be written.\rThe preferences apply until Quivara closes, but they will not be kept.",
                     AppTitle, TPromptIcon::Warning, pbOK, pbOK});
}

void TPrefsForm::SaveSettings() {
  const TPreferenceValues v = Values();
  WritePreferenceValues(main_.SettingsPath(), v);
  ApplyToMainWindow(v);
  CheckKept("StartUp", "OpenOnStart", StartChoiceValue(v.OpenOnStart));
}

void TPrefsForm::BitBtn2Click() {
  SaveSettings();
  accept();
}

void TPrefsForm::BitBtn1Click() { reject(); }

void TPrefsForm::BitBtnHlpClick() { ShowHelpTopic(kHelpContext); }

void TPrefsForm::BitBtn3Click() {
  if (!Ask("Reset all settings to default?")) return;
  main_.ResetRunSettings();
  // The advanced switches go back to their defaults, in the dialog, the file and the window;
  // stretching, the start-up choices and the render mode stay as they are.
  CheckBox3->setChecked(false);
  CheckBox4->setChecked(false);
  CheckBox5->setChecked(true);
  CheckBox6->setChecked(true);
  CheckBox7->setChecked(true);
  SpinEdit1->SetValue(kDefaultCandidateCount);
  WriteDefaultAdvancedValues(main_.SettingsPath());
  TMainPreferences p = main_.Preferences();
  p.FlipRotateAllowed = false;
  p.CandidatePopupAllowed = true;
  p.CandidateCount = kDefaultCandidateCount;
  p.FastJpegAllowed = true;
  p.DetailedBackground = true;
  main_.SetPreferences(p);
  CheckKept("Render", "Radius", "6");
}

void TPrefsForm::BitBtn4Click() {
  if (!Ask("Clean all recent used files menu?")) return;
  ClearRecentLists(main_.SettingsPath());
  main_.InitRecentFileMenu();
  CheckKept("Recentprojects", "Recentproject1", "");
}

void TPrefsForm::CheckBox5Click() {
  const bool on = CheckBox5->isChecked();
  for (QWidget* w : std::initializer_list<QWidget*>{Label1, SpinEdit1, Label2}) w->setEnabled(on);
}

void PreferencesCommand(TForm1& form) {
  TPrefsForm dialog(form);
  Prompts().ExecDialog(dialog);
}

void InstallPreferences(TForm1& form) {
  TMainCommand preferences;
  preferences.Name = "Preferences1";
  preferences.Caption = "Preferences...";
  preferences.Glyph = "preferences";
  preferences.Run = [&form] { PreferencesCommand(form); };
  form.AddCommand(TMenuPlace::EditPreferences, preferences);
}

}  // namespace qv
