#pragma once
// TPrefsForm: the preferences dialog ("Preferences..." at the end of the Edit menu). Page
// "General": what opens at start, the wizard, the default render mode, whether the output
// setup remembers its blend values, the reset of the main window's settings and the clearing
// of the recent-file lists. Page "Advanced": stretched and flipped tiles, the candidate pop-up
// and its length, fast JPEG scanning and the detailed background. "Save" writes every key and
// applies every value to the running main window at once; "Reset all settings to default" and
// "Clean recent used files menu" act at once too, so "Cancel" leaves what they did.
//
// A settings file that cannot be written does not stop the values from applying for this
// run; the dialog says so once per settings file.
#include <QDialog>
#include <string>

#include "settings/PreferenceSettings.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace qv {

class TForm1;
class TVNSpinEdit;

class TPrefsForm : public QDialog {
  Q_OBJECT
 public:
  // FormCreate: the controls, read from the settings file and from the main window.
  explicit TPrefsForm(TForm1& mainForm, QWidget* parent = nullptr);

  // Writes every key and applies the values to the main window.
  void SaveSettings();
  void BitBtn2Click();  // "Save": SaveSettings, then close
  void BitBtn1Click();  // "Cancel"
  void BitBtnHlpClick();
  void BitBtn3Click();  // "Reset all settings to default"
  void BitBtn4Click();  // "Clean recent used files menu"
  void CheckBox5Click();

  // The values as the controls hold them.
  TPreferenceValues Values() const;

  static constexpr int kHelpContext = 34;
  static constexpr int kGeneralHelpContext = 35;
  static constexpr int kAdvancedHelpContext = 36;

 private:
  QWidget* CreateGeneralPage();
  QWidget* CreateAdvancedPage();
  void ShowValues(const TPreferenceValues& v);
  // Takes the advanced switches into the main window (rebuilding the grid pop-up when the
  // candidate number changed).
  void ApplyToMainWindow(const TPreferenceValues& v);
  // After writing: when the file did not take section/key = value, says once that the
  // preferences apply only until the program closes.
  void CheckKept(const char* section, const char* key, const std::string& value);

  TForm1& main_;
  QTabWidget* PageControl1 = nullptr;
  // General
  QRadioButton* RadioButton1 = nullptr;  // "Blank"
  QRadioButton* RadioButton2 = nullptr;  // "Open last base"
  QRadioButton* RadioButton3 = nullptr;  // "Open last project"
  QCheckBox* CheckBox1 = nullptr;        // "Show wizard"
  QRadioButton* RadioButton4 = nullptr;  // "Mosaic from top"
  QRadioButton* RadioButton5 = nullptr;  // "Random mosaic"
  QRadioButton* RadioButton6 = nullptr;  // "Smart mosaic"
  QCheckBox* CheckBox2 = nullptr;        // "Remember last Blend% setting"
  QPushButton* BitBtn3 = nullptr;        // "Reset all settings to default"
  QPushButton* BitBtn4 = nullptr;        // "Clean recent used files menu"
  // Advanced
  QCheckBox* CheckBox3 = nullptr;  // "Allow stretch tiles"
  QCheckBox* CheckBox4 = nullptr;  // "Allow flip/rotate tiles"
  QCheckBox* CheckBox5 = nullptr;  // "Use PopUp to show candidate tiles"
  QLabel* Label1 = nullptr;        // "Show"
  TVNSpinEdit* SpinEdit1 = nullptr;
  QLabel* Label2 = nullptr;        // "best candidates"
  QCheckBox* CheckBox6 = nullptr;  // "Use fast scan for jpg tiles"
  QCheckBox* CheckBox7 = nullptr;  // "Use detailed background"
  // Buttons
  QPushButton* BitBtn2 = nullptr;    // "Save"
  QPushButton* BitBtn1 = nullptr;    // "Cancel"
  QPushButton* BitBtnHlp = nullptr;  // "Help"
};

// "Preferences...": the dialog, modal, made for this use and freed after.
void PreferencesCommand(TForm1& form);
// Puts "Preferences..." at the end of the main window's Edit menu.
void InstallPreferences(TForm1& form);

}  // namespace qv
