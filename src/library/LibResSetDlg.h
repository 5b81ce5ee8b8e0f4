#pragma once
// TLibResSetDlg: "Library resample settings", the new signature grid and colour mode of a
// resampled library. It only collects the answer; the library inspector resamples.
#include <QDialog>
#include <cstdint>

class QPushButton;
class QRadioButton;

namespace qv {

class TVNSpinEdit;

class TLibResSetDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 33;
  explicit TLibResSetDlg(QWidget* parent = nullptr);

  // The answer: the new grid, colour system 2 for "RGB color mode" and 1 otherwise, and
  // whether "Resample" was pressed.
  int32_t NewGridW() const;
  int32_t NewGridH() const;
  uint8_t NewColorSystem() const;
  bool Confirmed() const { return confirmed_; }

  // Starts the fields at a library's grid and colour system.
  void SetStart(int32_t gridW, int32_t gridH, uint8_t colorSystem);

 private:
  void BitBtn2Click();
  void BitBtn3Click();

  TVNSpinEdit* VNSpinEdit1 = nullptr;
  TVNSpinEdit* VNSpinEdit2 = nullptr;
  QRadioButton* RadioButton1 = nullptr;
  QRadioButton* RadioButton2 = nullptr;
  QPushButton* BitBtn2 = nullptr;
  QPushButton* BitBtn3 = nullptr;
  bool confirmed_ = false;
};

}  // namespace qv
