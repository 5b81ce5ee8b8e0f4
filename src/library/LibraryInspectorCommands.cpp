// TLibrayMosaic: the maintenance commands of the library inspector. Each works on the main
// window's library through the engine, writes the library file through a temporary file
// (so a failed write leaves the previous file as it was), and refreshes the window.
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "controls/SpinEdits.h"
#include "engine/CompositionRun.h"
#include "engine/FolderScan.h"
#include "engine/LibraryMaintenance.h"
#include "engine/QVData.h"
#include "library/LibResSetDlg.h"
#include "library/LibraryFiles.h"
#include "library/LibraryInspector.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/MosaicView.h"
#include "mainwindow/Prompts.h"
#include "models/LibraryInspectorModel.h"
#include "models/NewLibraryModel.h"
#include "settings/AppSettings.h"
#include "settings/IniFile.h"

namespace qv {
namespace {

void Warn(const QString& text) { Prompts().Message({text, kApplicationTitle, TPromptIcon::Warning, pbOK, pbOK}); }

}  // namespace

bool TLibrayMosaic::LibraryFileWritable() {
  if (!FileIsReadOnly(FromCore(lib_.BaseName()))) return true;
  Prompts().Error(FromCore("Library file\r" + lib_.BaseName() + "\ris read-only: it was left as it was."),
                  kApplicationTitle);
  return false;
}

void TLibrayMosaic::ReportLibraryWriteFailure(const std::exception& e) {
  Prompts().Error(FromCore(std::string(e.what()) + "\rThe library file was left as it was."), kApplicationTitle);
}

// ---- Make Mosaic from Library ----

void TLibrayMosaic::CreateClick() {
  if (passRunning_ || !lib_.TableIsOpen()) return;
  const TTileOrder order = static_cast<TTileOrder>(std::max(order_->checkedId(), 0));
  const std::vector<int32_t> tiles = LibraryTileOrder(lib_, order, uint32_t(sample_.rgb() & 0xFFFFFF));
  if (tiles.empty()) {
    Warn("Every tile of the library is marked deleted: there is nothing to show.");
    return;
  }
  int32_t cols = VNSpinEdit1->Value(), rows = VNSpinEdit2->Value();
  if (int64_t(cols) * rows < int64_t(tiles.size())) rows = CoveringSide(int32_t(tiles.size()), cols);
  if (!main_.ConfirmReplaceProject()) return;

  TFileRequest r;
  r.Title = "Save library mosaic as";
  r.Folder = FromCore(LastPathFolder(main_.SettingsPath(), kLastPathProject));
  r.Filter = "qvp (*.qvp)";
  r.DefaultSuffix = "qvp";
  r.FileName = r.Folder + QFileInfo(FromCore(lib_.BaseName())).completeBaseName() + ".qvp";
  QString picked = Prompts().SaveFile(r);
  if (picked.isEmpty()) return;
  const std::string file = ChangeFileExt(ToCore(QFileInfo(picked).absoluteFilePath()), ".qvp");

  // The project opens its library from the file: changes not yet written go there first.
  if (lib_.Modified) {
    if (!LibraryFileWritable()) return;
    lib_.Save();
  }
  BeginPass("Making the mosaic...", "Stop", cols * rows);
  TLibraryMosaicHooks hooks;
  hooks.OnProgress = [this](int32_t done, int32_t) {
    if ((done & 31) == 0) StepPass(done);
  };
  hooks.StopRequested = [this] { return stopRequested_.load(); };
  bool made = false;
  try {
    made = CreateLibraryMosaic(lib_, file, cols, rows, tiles, hooks);
  } catch (...) {
    EndPass();
    throw;
  }
  EndPass();
  if (!made) return;
  main_.OpenQVP(file);
  main_.ShowStatus();
  main_.SetButtonsOnOff();
  main_.MosaicView().ViewTarget();
  accept();
}

// ---- Flips ----

bool TLibrayMosaic::AskFlipsDialog(bool& h, bool& v, bool& r180) {
  QDialog d(this);
  d.setObjectName("AddFlipsDialog");
  d.setWindowTitle("Add flips");
  auto* layout = new QVBoxLayout(&d);
  layout->addWidget(new QLabel("Add to the library the tiles", &d));
  struct Box {
    QCheckBox* widget;
    int kind;
    bool* answer;
  };
  std::vector<Box> boxes = {{new QCheckBox("H Flip", &d), kFlipHorizontal, &h},
                            {new QCheckBox("V Flip", &d), kFlipVertical, &v},
                            {new QCheckBox("180", &d), kFlipRotate180, &r180}};
  const char* names[3] = {"CBFlipH", "CBFlipV", "CBRota180"};
  for (int i = 0; i < 3; ++i) boxes[size_t(i)].widget->setObjectName(names[i]);
  for (Box& b : boxes) {
    const bool present = lib_.HoldsFlipKind(b.kind);
    b.widget->setChecked(present);
    b.widget->setEnabled(!present);
    layout->addWidget(b.widget);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
  connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
  layout->addWidget(buttons);
  if (Prompts().ExecDialog(d) != QDialog::Accepted) return false;
  for (Box& b : boxes) *b.answer = b.widget->isChecked() && !lib_.HoldsFlipKind(b.kind);
  return true;
}

void TLibrayMosaic::AddFlipsClick() {
  if (passRunning_ || !lib_.TableIsOpen()) return;
  bool h = false, v = false, r180 = false;
  if (!LibraryFileWritable() || !AskFlipsDialog(h, v, r180) || !(h || v || r180)) return;
  int step = 0;
  TAddFlipsHooks hooks;
  hooks.OnStart = [&](int32_t progressMax) { BeginPass("Adding flipped tiles...", "Stop", progressMax); };
  hooks.OnStep = [&] {
    StepPass(++step);
    if (stopRequested_) lib_.StopRequested = true;
  };
  hooks.OnFinish = [&] { EndPass(); };
  try {
    AddFlips(lib_, h, v, r180, hooks);
  } catch (const EStreamError& e) {
    ReportLibraryWriteFailure(e);
  }
  lib_.StopRequested = false;
  Refresh();
}

void TLibrayMosaic::RemoveFlipsClick() {
  if (passRunning_ || !lib_.TableIsOpen() || lib_.Count == lib_.UnflippedCount || !LibraryFileWritable()) return;
  lib_.RemoveFlippedCopies();
  try {
    lib_.Save();
  } catch (const EStreamError& e) {
    ReportLibraryWriteFailure(e);
  }
  Refresh();
}

// ---- Resampling ----

void TLibrayMosaic::ResampleClick() {
  if (passRunning_ || !lib_.TableIsOpen()) return;
  TLibResSetDlg settings(this);
  settings.SetStart(lib_.GridW, lib_.GridH, lib_.ColorSystem);
  Prompts().ExecDialog(settings);
  if (!settings.Confirmed()) return;
  const int32_t gw = settings.NewGridW(), gh = settings.NewGridH();
  const uint8_t cs = settings.NewColorSystem();
  const TResampleSettings resample{.GridW = gw, .GridH = gh, .ColorSystem = cs};

  TFileRequest r;
  r.Title = "Save resampled library as";
  r.Folder = FromCore(LastPathFolder(main_.SettingsPath(), kLastPathLibrary));
  r.Filter = "qv2 (*.qv2)";
  r.DefaultSuffix = "qv2";
  r.FileName = r.Folder + QFileInfo(FromCore(lib_.BaseName())).completeBaseName() +
               QString("_%1x%2%3.qv2").arg(gw).arg(gh).arg(cs == kColorRGB ? "rgb" : "");
  const QString picked = Prompts().SaveFile(r);
  if (picked.isEmpty()) return;
  const std::string file = LibraryFileNameFor(ToCore(QFileInfo(picked).absoluteFilePath()));
  if (QFileInfo(FromCore(file)).absoluteFilePath() == QFileInfo(FromCore(lib_.BaseName())).absoluteFilePath()) {
    Prompts().Error("The resampled library needs a file of its own:\rthe open library cannot be replaced by it.",
                    kApplicationTitle);
    return;
  }

  BeginPass("Resampling the library...", "Stop", 100);
  auto savedProgress = std::move(lib_.OnProgress);
  lib_.OnProgress = [this](TQVData& t) {
    StepPass(t.Progress);
    if (stopRequested_) t.StopRequested = true;
  };
  lib_.StopRequested = false;
  bool written = false;
  try {
    written = lib_.ResampleLibrary(file, resample);
  } catch (...) {
    lib_.OnProgress = std::move(savedProgress);
    lib_.StopRequested = false;
    EndPass();
    throw;
  }
  lib_.OnProgress = std::move(savedProgress);
  lib_.StopRequested = false;
  EndPass();
  if (!written) {
    Prompts().Error(FromCore("Library file\r" + file + "\rcould not be written."), kApplicationTitle);
    return;
  }
  RememberLastPath(main_.SettingsPath(), kLastPathLibrary, file);
  if (Prompts().Message({FromCore("Library\r" + file + "\rwas created.\rOpen it now?"), kApplicationTitle,
                         TPromptIcon::Question, pbYes | pbNo, pbYes}) != pbYes)
    return;
  if (lib_.Modified) DiscardChanges();
  main_.OpenLibraryByName(file);
  main_.SetButtonsOnOff();
  Refresh();
}

// ---- Appending ----

void TLibrayMosaic::AppendClick() {
  if (passRunning_ || !lib_.TableIsOpen() || !LibraryFileWritable()) return;
  QString start = FromCore(IniReadString(main_.SettingsPath(), "LastPath", "LibraryRoot", ""));
  QString folder = Prompts().ChooseFolder("Choose folder to append", start);
  if (folder.isEmpty()) return;
  const std::string root = ToCore(QFileInfo(folder).absoluteFilePath());
  if (!DirectoryExists(root)) {
    Prompts().Error("Folder\r" + FromCore(root) + "\rdoes not exist.", kApplicationTitle);
    return;
  }
  IniWriteString(main_.SettingsPath(), "LastPath", "LibraryRoot", ToCore(folder));

  // The picture types of the new library dialog, whole pictures cut in the centre; the
  // engine takes the library's own geometry and colour system and makes thumbnails of 36
  // pixels at quality 75.
  const std::string name = lib_.BaseName();
  TScanSettings scan;
  scan.RootFolder = root;
  scan.PictureExtensions =
      PictExtsFromTicks(TicksFromImgExts(IniReadString(main_.SettingsPath(), "NewBase", "ImgExts", ".JPG")));
  scan.FastJpeg = main_.Preferences().FastJpegAllowed;
  const int64_t total = scan.PictureExtensions.empty() ? 0 : int64_t(ListPictureFiles(scan).size());
  if (total == 0) {
    Prompts().Error("No picture of the types ticked in the new library dialog was found in\r" + FromCore(root),
                    kApplicationTitle);
    return;
  }
  const int32_t before = lib_.UnflippedCount;
  BeginPass("Appending pictures...", "Stop", int(std::min<int64_t>(total, INT32_MAX)));
  int64_t seen = 0;
  QElapsedTimer clock;
  clock.start();
  auto savedBuild = std::move(lib_.OnCreateBaseProgress);
  lib_.OnCreateBaseProgress = [&](TQVData& t) {
    LabelPass->setText(FromCore(PassProgressText(seen, total, clock.elapsed(), "pictures")));
    StepPass(int(std::min<int64_t>(seen++, INT32_MAX)));
    if (stopRequested_) t.StopRequested = true;
  };
  lib_.StopRequested = false;
  bool written = false;
  auto restore = [&] {
    lib_.OnCreateBaseProgress = std::move(savedBuild);
    lib_.StopRequested = false;
    EndPass();
  };
  try {
    written = lib_.AppendFolder(scan);
  } catch (...) {
    restore();
    throw;
  }
  const int32_t added = lib_.AddedCount - before;
  restore();
  if (!written) {
    Prompts().Error(FromCore("Library file\r" + name + "\rcould not be written; it was left as it was."),
                    kApplicationTitle);
    return;
  }
  lib_.Open(name, 0);
  Refresh();
  Prompts().Info(FromCore(std::to_string(added) + " pictures were appended to the library."), kApplicationTitle);
}

// ---- Deleted tiles ----

void TLibrayMosaic::CleanDoubleClick() {
  if (passRunning_ || !lib_.TableIsOpen()) return;
  const int32_t marked = MarkRepeatedNames(lib_);
  DrawGrid1->viewport()->update();
  UpdateCommands();
  Prompts().Info(FromCore(std::to_string(marked) + " tiles with a repeated path and name were marked deleted."),
                 kApplicationTitle);
}

bool TLibrayMosaic::RemoveDeletedClick() {
  if (passRunning_ || !lib_.TableIsOpen() || !LibraryFileWritable()) return false;
  const int32_t before = lib_.UnflippedCount;
  const std::string name = lib_.BaseName();
  std::vector<int32_t> map;
  try {
    // Written first and read back: a write that fails leaves the library as it was, in the
    // window and on disk, with its marks.
    map = SaveWithoutDeletedTiles(lib_, name);
  } catch (const EStreamError& e) {
    ReportLibraryWriteFailure(e);
    return false;
  } catch (const EQuivara& e) {
    Prompts().Error(FromCore(e.what()), kApplicationTitle);
    return false;
  }
  lib_.Open(name, 0);
  // The open project's cells follow the new tile numbers.
  if (main_.QVMosaic1.TableIsOpen() && main_.QVPlan1.LibraryFileName == name) RenumberMosaicTiles(main_.QVMosaic1, map);
  Refresh();
  Prompts().Info(
      FromCore(std::to_string(before - lib_.UnflippedCount) + " deleted tiles were removed from the library."),
      kApplicationTitle);
  return true;
}

}  // namespace qv
