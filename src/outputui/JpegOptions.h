#pragma once
// Tjpegoptions: the JPEG quality question asked before a picture is saved as JPEG ("JPEG
// Options"). A number field and a track bar from "Best compression" (0) to "Best quality"
// (100) that follow each other; any value above 85 is pulled back to 85, the highest quality
// the program writes. The number starts from "Output"/"JPG" (default 85).
//
// The modal result is the chosen quality (1..85) or -1 for "Cancel". "OK" with 0 cannot be
// confirmed (a modal result of 0 is no result) and leaves the dialog open.
#include <QDialog>
#include <string>

class QGroupBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;

namespace qv {

class Tjpegoptions : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kMaxQuality = 85;
  static constexpr int kDefaultQuality = 85;
  static constexpr int kHelpContext = 21;

  // The quality is remembered in the settings file settingsPath ("Output", "JPG").
  explicit Tjpegoptions(std::string settingsPath, QWidget* parent = nullptr);

  int Quality() const;
  void SetQuality(int quality);

  // Shows the dialog (through the program's prompts) and returns the quality, or -1 when
  // the user cancels or closes it.
  static int AskJpegQuality(const std::string& settingsPath, QWidget* parent = nullptr);

  void BitBtn1Click();  // "OK"
  void BitBtn2Click();  // "Cancel"

 private:
  void ValueChanged(int value);

  QGroupBox* GroupBox1;
  QSpinBox* SpinEdit1;
  QSlider* TrackBar1;
  QLabel* Label1;
  QLabel* Label2;
  QPushButton* BitBtn1;
  QPushButton* BitBtn2;
  bool syncing_ = false;
  const std::string settingsPath_;
};

}  // namespace qv
