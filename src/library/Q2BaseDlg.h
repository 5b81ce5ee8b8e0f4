#pragma once
// TQ2NewBaseForm: the "New library" dialog. It collects the settings of a new tile library,
// runs the build pass on its own engine instance QVData1 while the window stays responsive
// (the pass lets pending events through before every picture), shows the pictures as they
// are cut, counts them against the pictures found, and opens the new file as the main
// window's library when it is written.
#include <QDialog>
#include <QElapsedTimer>
#include <string>

#include "engine/QVData.h"
#include "models/NewLibraryModel.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace qv {

class TForm1;
class TVNSpinEdit;

// What the wizard chooses for a new library before it presses "Scan images" itself.
struct TNewLibraryChoices {
  std::string FileName;
  std::string RootFolder;
  TPictureTypeTicks Types{};  // in the order of PictureTypeExtensions
  int MarginPercent = 0;
  bool IncludeSubfolders = true;
  int CropMode = 4;  // 0..8 the crop block, 9 "Stretch"
  int PropX = 4;
  int PropY = 4;
};

class TQ2NewBaseForm : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 24;
  // The dialog keeps its values in the settings file settingsPath. mainForm receives the new
  // library; without one the dialog only builds the file.
  TQ2NewBaseForm(std::string settingsPath, TForm1* mainForm, QWidget* parent = nullptr);
  ~TQ2NewBaseForm() override;

  TQVData QVData1;
  // Threads that decode pictures during a build (0 = one per core, 1 = the window's own).
  int BuildThreads = 0;

  // "Scan images": builds the library named in TxtNewQvb from TxtRoot (the wizard calls it
  // directly after filling the fields).
  void BitBtn1Click();
  // Fills the controls as the wizard does.
  void SetChoices(const TNewLibraryChoices& c);
  // "Stop": asks the running build to end after its picture.
  void cmndStopClick();
  bool Running() const { return running_; }

  // GetPictExts: the patterns of the ticked type boxes.
  std::string GetPictExts() const;
  // The file the build writes for the typed name (extension .qv2, full path).
  std::string TargetFileName() const;

 protected:
  // "Close", the window's close button and Esc all end here: during a build they only
  // stop it; otherwise the settings are written and the dialog closes.
  void reject() override;

 private:
  void CreateControls();
  void ReadSettings();
  void WriteSettings();
  void ShowShape();
  int CropMode() const;
  void BitBtn3Click();  // "..." for the file name
  void BitBtn4Click();  // "..." for the root directory
  void QVData1CreateBaseProgress();
  void SetRunning(bool running);
  // Steps 8 to 11 of "Scan images": open the new library in the main window when it fits.
  void OfferToMainForm(const std::string& fileName);
  void Ask(const QString& text);

  TForm1* main_;
  const std::string settingsPath_;
  QLineEdit* TxtNewQvb = nullptr;
  QPushButton* BitBtn3 = nullptr;
  QLineEdit* TxtRoot = nullptr;
  QPushButton* BitBtn4 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QCheckBox* typeBoxes_[kPictureTypeCount] = {};
  TVNSpinEdit* SpinEdit3 = nullptr;  // margin
  TVNSpinEdit* SpinEdit2 = nullptr;  // X
  TVNSpinEdit* SpinEdit1 = nullptr;  // Y
  QRadioButton* cropButtons_[9] = {};
  QRadioButton* RadioButtonSA = nullptr;
  QRadioButton* RadioButtonYCC = nullptr;
  QRadioButton* RadioButtonRGB = nullptr;
  QFrame* shapeArea_ = nullptr;
  QFrame* Shape1 = nullptr;
  QFrame* Shape2 = nullptr;
  QLabel* Image1 = nullptr;
  TVNSpinEdit* SpinEdit5 = nullptr;
  TVNSpinEdit* SpinEdit4 = nullptr;
  TVNSpinEdit* SpinEdit6 = nullptr;
  TVNSpinEdit* SpinEdit7 = nullptr;
  QLabel* Label10 = nullptr;  // "Resampling filter:"
  QComboBox* ComboBox1 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QLabel* LabelProgress = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QPushButton* cmndStop = nullptr;
  QPushButton* BitBtn2 = nullptr;
  QPushButton* SpeedButton2 = nullptr;
  QPushButton* BitBtn5 = nullptr;

  bool running_ = false;
  int64_t filesFound_ = 0;
  int64_t filesSeen_ = 0;
  QElapsedTimer clock_;
  QString caption_;
};

}  // namespace qv
