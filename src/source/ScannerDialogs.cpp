#include "source/ScannerDialogs.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>

#include "controls/OffThreadWork.h"
#include "mainwindow/Prompts.h"
#include "settings/AppSettings.h"
#include "settings/IniFile.h"

namespace qv {

namespace {

constexpr char kScannerSection[] = "Scanner";
constexpr char kScannerKey[] = "Device";

}  // namespace

std::string IniReadScannerDevice(const std::string& settingsPath) {
  return IniReadString(settingsPath, kScannerSection, kScannerKey, "");
}
void IniWriteScannerDevice(const std::string& settingsPath, const std::string& name) {
  IniWriteString(settingsPath, kScannerSection, kScannerKey, name);
}

TScannerSourceDialog::TScannerSourceDialog(const std::vector<TScannerDevice>& devices, const std::string& current,
                                           QWidget* parent)
    : QDialog(parent), devices_(devices) {
  setObjectName("ScannerSource");
  setWindowTitle("Select Source");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Sources:", this));
  ListBox1 = new QListWidget(this);
  ListBox1->setObjectName("ListBox1");
  for (const TScannerDevice& d : devices_) ListBox1->addItem(FromCore(d.Caption()));
  int selected = 0;
  for (size_t i = 0; i < devices_.size(); ++i)
    if (devices_[i].Name == current) selected = int(i);
  if (!devices_.empty()) ListBox1->setCurrentRow(selected);
  layout->addWidget(ListBox1);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText("Select");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(ListBox1, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
  layout->addWidget(buttons);
  resize(380, 240);
}

std::string TScannerSourceDialog::Selected() const {
  const int row = ListBox1->currentRow();
  return row >= 0 && row < int(devices_.size()) ? devices_[size_t(row)].Name : std::string();
}

bool ChooseScannerDevice(QWidget* parent, const std::string& settingsPath) {
  std::vector<TScannerDevice> devices;
  try {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    RunOffTheWindowThread([&] { devices = ListScannerDevices(); });
    QApplication::restoreOverrideCursor();
  } catch (const std::exception& e) {
    QApplication::restoreOverrideCursor();
    Prompts().Error(FromCore(e.what()), AppTitle);
    return false;
  }
  if (devices.empty()) {
    Prompts().Error("No scanner found.", AppTitle);
    return false;
  }
  TScannerSourceDialog dialog(devices, IniReadScannerDevice(settingsPath), parent);
  if (Prompts().ExecDialog(dialog) != QDialog::Accepted || dialog.Selected().empty()) return false;
  IniWriteScannerDevice(settingsPath, dialog.Selected());
  return true;
}

std::optional<Bitmap24> AcquireWithProgress(QWidget* parent, const std::string& deviceName) {
  QProgressDialog progress("Scanning...", "Cancel", 0, 1000, parent);
  progress.setObjectName("ScanProgress");
  progress.setWindowTitle(AppTitle);
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(0);
  progress.setValue(0);
  std::atomic<bool> cancel{false};
  std::atomic<int> permille{0};
  QObject::connect(&progress, &QProgressDialog::canceled, [&cancel] { cancel = true; });
  Bitmap24 picture;
  try {
    RunOffTheWindowThread(
        [&] {
          picture = ScanPicture(
              deviceName, [&permille](double f) { permille = f < 0 ? -1 : int(f * 1000); }, cancel);
        },
        [&] {
          const int p = permille;
          if (p < 0)
            progress.setMaximum(0);  // the length is unknown: a busy bar
          else if (progress.maximum() > 0)
            progress.setValue(std::min(p, 999));
        });
    progress.reset();
  } catch (const std::exception& e) {
    progress.reset();
    if (!cancel) Prompts().Error(FromCore(e.what()), AppTitle);
    return std::nullopt;
  }
  if (cancel) return std::nullopt;
  return picture;
}

}  // namespace qv
