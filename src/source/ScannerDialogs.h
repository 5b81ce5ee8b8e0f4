#pragma once
// The windows around the scanner: choosing a SANE device ("Select TWAIN source") and scanning
// one picture with a progress window and "Cancel" ("Acquire"). The scanner work runs on a
// worker thread; the window stays responsive.
#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "raster/Bitmap24.h"
#include "source/SaneScanner.h"

class QListWidget;

namespace qv {

// The device chosen last ("Scanner"/"Device" in the settings file); empty: the first found.
std::string IniReadScannerDevice(const std::string& settingsPath);
void IniWriteScannerDevice(const std::string& settingsPath, const std::string& name);

// The chooser: one line per device, the chosen one preselected.
class TScannerSourceDialog : public QDialog {
  Q_OBJECT
 public:
  TScannerSourceDialog(const std::vector<TScannerDevice>& devices, const std::string& current,
                       QWidget* parent = nullptr);
  // The selected device's name; empty when none is selected.
  std::string Selected() const;

 private:
  std::vector<TScannerDevice> devices_;
  QListWidget* ListBox1 = nullptr;
};

// Lists the devices (on a worker thread) and shows the chooser; stores the choice. Tells
// the user when there is no scanner or the list cannot be made. True when a device was chosen.
bool ChooseScannerDevice(QWidget* parent, const std::string& settingsPath);

// Scans one picture from the device with a progress window; nullopt when cancelled or failed
// (a failure is reported to the user through the prompts).
std::optional<Bitmap24> AcquireWithProgress(QWidget* parent, const std::string& deviceName);

}  // namespace qv
