#include "source/SrcSetup.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "base/Rounding.h"
#include "codecs/BmpCodec.h"
#include "codecs/CodecSupport.h"
#include "codecs/JpegCodec.h"
#include "codecs/PictureLoader.h"
#include "controls/OffThreadWork.h"
#include "controls/SpinEdits.h"
#include "engine/QVData.h"
#include "imaging/RasterUtils.h"
#include "imaging/TiffWriter.h"
#include "mainwindow/Prompts.h"
#include "mainwindow/WindowBounds.h"
#include "outputui/JpegOptions.h"
#include "settings/AppSettings.h"
#include "source/EnCropImage.h"
#include "source/PicToolForm.h"
#include "source/SourcePictures.h"
#include "source/SourceSetupHost.h"

namespace qv {

namespace {

constexpr char kBoundsSection[] = "LayOut";
constexpr char kBoundsKey[] = "SourceForm";
constexpr int kDesignWidth = 560;
constexpr int kDesignHeight = 440;

// "name" of "/folder/name.ext".
std::string BaseNameOf(const std::string& path) {
  std::string name = path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
  const size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string LowerExtension(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return ext;
}

std::string WithExtension(const std::string& path, const std::string& ext) {
  const std::string current = LowerExtension(path);
  return (current.empty() ? path : path.substr(0, path.size() - current.size())) + ext;
}

}  // namespace

TSrcSetup::TSrcSetup(TSourceSetupHost& host, QWidget* parent) : QDialog(parent), host_(host) {
  setObjectName("SrcSetup");
  setWindowTitle("Source image setup");
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  setMinimumSize(kDesignWidth, kDesignHeight);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* bar = new QMenuBar(this);
  bar->setObjectName("MainMenu1");
  MenuBar1 = bar;
  layout->setMenuBar(bar);

  CropImage1 = new TEnCropImage(host_.SettingsPath(), this);
  CropImage1->setObjectName("CropImage1");
  CropImage1->SetScaleStyle(TScaleStyle::ssFullScale);
  CropImage1->SetResampleStyle(TCropImage::rsNone);
  CropImage1->SetPictureStretch(false);
  CropImage1->SetPictureCrops(true);
  CropImage1->SetCells(30, 30);
  layout->addWidget(CropImage1, 1);

  auto* panel = new QWidget(this);
  panel->setObjectName("Panel1");
  Panel1 = panel;
  auto* row = new QHBoxLayout(panel);
  row->setContentsMargins(8, 6, 8, 6);
  auto addLabel = [&](const QString& caption, QWidget* buddy) {
    auto* l = new QLabel(caption, panel);
    l->setBuddy(buddy);
    row->addWidget(l);
    row->addWidget(buddy);
  };
  SpinXTiles = new TVNSpinEdit(1, 999999, 1, 30, panel);
  SpinXTiles->setObjectName("SpinXTiles");
  addLabel("X tiles", SpinXTiles);
  SpinYTiles = new TVNSpinEdit(1, 999999, 1, 30, panel);
  SpinYTiles->setObjectName("SpinYTiles");
  addLabel("Y tiles", SpinYTiles);
  CBStretch = new QCheckBox("Stretch tiles", panel);
  CBStretch->setObjectName("CBStretch");
  row->addWidget(CBStretch);
  CBGrid = new QCheckBox("Grid", panel);
  CBGrid->setObjectName("CBGrid");
  CBGrid->setChecked(true);
  row->addWidget(CBGrid);
  row->addStretch();
  auto button = [&](const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, panel);
    b->setObjectName(name);
    b->setAutoDefault(false);
    row->addWidget(b);
    return b;
  };
  BtnOpen = button("BtnOpen", "Open...");
  BtnMax = button("BtnMax", "Max");
  BtnApply = button("BtnApply", "Apply");
  BtnCancel = button("BtnCancel", "Cancel");
  BtnHelp = button("BtnHelp", "Help");
  layout->addWidget(panel);
  auto* status = new QStatusBar(this);
  status->setObjectName("StatusBar1");
  status->setSizeGripEnabled(true);
  StatusPanel0 = new QLabel(status);
  StatusPanel0->setObjectName("StatusPanel0");
  status->addWidget(StatusPanel0, 1);
  layout->addWidget(status);
  CreateMenus(bar);

  connect(BtnOpen, &QPushButton::clicked, this, [this] { Guarded([this] { OpenClick(); }); });
  connect(BtnMax, &QPushButton::clicked, this, [this] { Guarded([this] { OriginalFitImg(); }); });
  connect(BtnApply, &QPushButton::clicked, this, [this] { Guarded([this] { Apply(); }); });
  connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(BtnHelp, &QPushButton::clicked, this, [this] { host_.ShowHelpTopic(kHelpContext); });
  connect(SpinXTiles, &QSpinBox::valueChanged, this, &TSrcSetup::CountsChanged);
  connect(SpinYTiles, &QSpinBox::valueChanged, this, &TSrcSetup::CountsChanged);
  connect(CBStretch, &QCheckBox::toggled, this, &TSrcSetup::CountsChanged);
  connect(CBGrid, &QCheckBox::toggled, CropImage1, &TCropImage::SetShowCells);

  PlaceDialog(this, QSize(kDesignWidth + 200, kDesignHeight + 160), host_.SettingsPath(), kBoundsSection, kBoundsKey);
  UpdateButtons();
}

TSrcSetup::~TSrcSetup() {
  try {
    SaveWindowBounds(host_.SettingsPath(), kBoundsSection, kBoundsKey, this);
  } catch (const std::exception&) {
  }
}

void TSrcSetup::CreateMenus(QMenuBar* bar) {
  auto add = [this](QMenu* menu, const char* name, const QString& caption, QKeySequence key,
                    const std::function<void()>& command) {
    auto* a = menu->addAction(caption);
    a->setObjectName(name);
    if (!key.isEmpty()) a->setShortcut(key);
    connect(a, &QAction::triggered, this, [this, command] { Guarded(command); });
    return a;
  };
  QMenu* image = bar->addMenu("&Image");
  image->setObjectName("Image1");
  add(image, "Openfile1", "Open file...", QKeySequence(Qt::CTRL | Qt::Key_O), [this] { OpenClick(); });
  add(image, "Pastefromclipboard1", "Paste from clipboard", QKeySequence(Qt::CTRL | Qt::Key_V), [this] { Paste(); });
  image->addSeparator();
  add(image, "SelectTWAINsource1", "Select TWAIN source", {}, [this] { SelectSource(); });
  add(image, "Acquire1", "Acquire", {}, [this] { Acquire(); });
  image->addSeparator();
  Saveimageas1 =
      add(image, "Saveimageas1", "Save image as...", QKeySequence(Qt::CTRL | Qt::Key_S), [this] { SaveImageAs(); });
  QMenu* edit = bar->addMenu("&Edit");
  edit->setObjectName("Edit1");
  Picturecorrectiontools1 =
      add(edit, "Picturecorrectiontools1", "Picture correction tools", {}, [this] { PictureCorrection(); });
  Selectmaximumarea1 = add(edit, "Selectmaximumarea1", "Select maximum area", QKeySequence(Qt::CTRL | Qt::Key_A),
                           [this] { OriginalFitImg(); });
  QMenu* actions = bar->addMenu("&Actions");
  actions->setObjectName("Actions1");
  add(actions, "Applytomosaic1", "Apply to mosaic", {}, [this] { Apply(); });
  add(actions, "Cancel1", "Cancel", {}, [this] { reject(); });
}

void TSrcSetup::Guarded(const std::function<void()>& command) {
  if (busy_) return;
  try {
    command();
  } catch (const std::exception& e) {
    ShowException(e);
  }
  UpdateButtons();
}

void TSrcSetup::reject() {
  if (!busy_) QDialog::reject();
}

void TSrcSetup::closeEvent(QCloseEvent* event) {
  if (busy_)
    event->ignore();
  else
    QDialog::closeEvent(event);
}

void TSrcSetup::SetBusy(bool busy) {
  busy_ = busy;
  for (QWidget* w : std::initializer_list<QWidget*>{CropImage1, Panel1, MenuBar1}) w->setEnabled(!busy);
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

void TSrcSetup::UpdateButtons() {
  const bool picture = CropImage1->HasPicture();
  BtnMax->setEnabled(picture);
  Selectmaximumarea1->setEnabled(picture);
  Saveimageas1->setEnabled(picture);
  Picturecorrectiontools1->setEnabled(picture);
  BtnApply->setEnabled(picture);
}

int TSrcSetup::XTiles() const { return SpinXTiles->Value(); }
int TSrcSetup::YTiles() const { return SpinYTiles->Value(); }
bool TSrcSetup::StretchTiles() const { return CBStretch->isChecked(); }
void TSrcSetup::SetStretchVisible(bool visible) { CBStretch->setVisible(visible); }
void TSrcSetup::SetGridChecked(bool on) { CBGrid->setChecked(on); }
QString TSrcSetup::StatusText() const { return StatusPanel0->text(); }
void TSrcSetup::SetStatusText(const QString& text) { StatusPanel0->setText(text); }

void TSrcSetup::SetTiles(int x, int y) {
  const QSignalBlocker bx(SpinXTiles), by(SpinYTiles);
  SpinXTiles->SetValue(x);
  SpinYTiles->SetValue(y);
  CropImage1->SetCells(XTiles(), YTiles());
}

Rect TSrcSetup::MosaicProportions() const {
  const TQVData& lib = host_.Library();
  const int32_t propX = std::max<int32_t>(lib.PropX, 1), propY = std::max<int32_t>(lib.PropY, 1);
  return {0, 0, XTiles() * propX, YTiles() * propY};
}

void TSrcSetup::SetFrame(const Rect& r) {
  const TCropModel& m = CropImage1->Model();
  Rect f = r;
  // A frame of extreme proportions on a small picture keeps at least one pixel each way.
  f.Left = std::clamp(f.Left, 0, m.PictureWidth() - 1);
  f.Top = std::clamp(f.Top, 0, m.PictureHeight() - 1);
  f.Right = std::clamp(f.Right, f.Left + 1, m.PictureWidth());
  f.Bottom = std::clamp(f.Bottom, f.Top + 1, m.PictureHeight());
  CropImage1->SetCropRect(f);
}

void TSrcSetup::FitImg() {
  CropImage1->SetCells(XTiles(), YTiles());
  if (StretchTiles()) {
    CropImage1->SetScaleStyle(TScaleStyle::ssNoScale);
    return;
  }
  const Rect p = MosaicProportions();
  Rect area = CropImage1->PictureCropRect();
  if (area.Width() <= 0 || area.Height() <= 0)
    area = {0, 0, CropImage1->Model().PictureWidth(), CropImage1->Model().PictureHeight()};
  if (CropImage1->HasPicture()) SetFrame(FitRectKeepAspect(p, area));
  CropImage1->SetScaleStyle(TScaleStyle::ssFullScale);
  CropImage1->SetScale(p.Right, p.Bottom);
}

void TSrcSetup::OriginalFitImg() {
  UpdateButtons();
  if (!CropImage1->HasPicture()) return;
  CropImage1->SetCells(XTiles(), YTiles());
  const Rect whole{0, 0, CropImage1->Picture().Width(), CropImage1->Picture().Height()};
  if (StretchTiles()) {
    SetFrame(whole);
    CropImage1->SetScaleStyle(TScaleStyle::ssNoScale);
    return;
  }
  const Rect p = MosaicProportions();
  SetFrame(FitRectKeepAspect(p, whole));
  CropImage1->SetScaleStyle(TScaleStyle::ssFullScale);
  CropImage1->SetScale(p.Right, p.Bottom);
}

void TSrcSetup::CountsChanged() {
  if (CropImage1->HasPicture())
    FitImg();
  else
    CropImage1->SetCells(XTiles(), YTiles());
}

void TSrcSetup::OpenImage(const std::string& fileName) {
  if (!FileExists(fileName)) throw EPictureError("File: " + fileName + " not found.");
  const TLargePictureAllowance large;  // shown from a reduced copy, cut out at full size
  auto picture = std::make_shared<Bitmap24>(LoadPicture24(fileName));
  if (picture->Empty()) throw EPictureError("The picture " + fileName + " holds no pixels");
  CropImage1->TakePicture(std::move(picture), fileName);
  SetStatusText(FromCore(fileName));
  OriginalFitImg();
  UpdateButtons();
}

std::string TSrcSetup::ChoosePicture() {
  const QString picked = Prompts().OpenFile(
      {"Open source image", FromCore(LastPathFolder(host_.SettingsPath(), kLastPathSource)), PictureFilter(), {}, {}});
  return ToCore(picked);
}

void TSrcSetup::OpenClick() {
  const std::string name = ChoosePicture();
  if (name.empty()) return;
  RememberLastPath(host_.SettingsPath(), kLastPathSource, name);
  try {
    OpenImage(name);
  } catch (const EQuivara&) {
    throw EPictureError("Wrong format. File: " + name + " can't be open.");
  }
}

void TSrcSetup::Paste() {
  if (!CropImage1->PasteFromClipboard()) return;
  OriginalFitImg();
  SetStatusText("Not saved image from clipboard");
}

void TSrcSetup::Acquire() {
  if (!CropImage1->Acquire()) return;
  OriginalFitImg();
  SetStatusText("Not saved image from TWAIN");
}

void TSrcSetup::SelectSource() { CropImage1->SelectScannerSource(); }

void TSrcSetup::PictureCorrection() {
  if (!CropImage1->HasPicture()) return;
  TPicToolForm form(*CropImage1, this);
  Prompts().ExecDialog(form);
}

bool TSrcSetup::SaveImageAs() {
  if (!CropImage1->HasPicture()) return false;
  QString type = "jpg (*.jpg)";
  const QString picked = Prompts().SaveFileOfType({"Save image as",
                                                   FromCore(LastPathFolder(host_.SettingsPath(), kLastPathSource)),
                                                   "jpg (*.jpg);;tiff (*.tif);;bmp (*.bmp)",
                                                   "jpg",
                                                   {}},
                                                  type);
  if (picked.isEmpty()) return false;
  std::string name = ToCore(picked);
  RememberLastPath(host_.SettingsPath(), kLastPathSource, name);
  // The chosen type decides; without one, the extension typed.
  std::string ext = type.startsWith("tiff") ? ".tif" : type.startsWith("bmp") ? ".bmp" : ".jpg";
  if (type.isEmpty()) {
    const std::string typed = LowerExtension(name);
    ext = typed == ".tif" || typed == ".tiff" ? ".tif" : typed == ".bmp" ? ".bmp" : ".jpg";
  }
  const Bitmap24& picture = CropImage1->Picture();
  name = WithExtension(name, ext);
  if (ext == ".tif") {
    SaveBitmapAsTiff(name, picture, kTiffResolution);
  } else if (ext == ".bmp") {
    SaveBmpFile(name, picture);
  } else {
    const int quality = Tjpegoptions::AskJpegQuality(host_.SettingsPath(), this);
    if (quality < 0) return false;
    SaveJpegFile(name, picture, quality);
  }
  // The view now shows the file as saved, under its name.
  CropImage1->SetPictureFileName(name);
  SetStatusText(FromCore(name));
  return true;
}

std::string TSrcSetup::ProposedProjectName() const {
  return BaseNameOf(CropImage1->PictureFileName()) + "-" + BaseNameOf(host_.Library().BaseName()) + "-" +
         std::to_string(XTiles()) + "x" + std::to_string(YTiles()) + ".qvp";
}

bool TSrcSetup::Apply() {
  TQVData& lib = host_.Library();
  if (!lib.TableIsOpen()) throw EQuivara("Please open library first!");
  if (!CropImage1->HasPicture()) return false;
  if (CropImage1->PictureFileName().empty() &&
      Prompts().Message({"Do you want to save source image first?", kApplicationTitle, TPromptIcon::Question,
                         pbYes | pbNo, pbYes}) == pbYes)
    SaveImageAs();

  const QString picked =
      Prompts().SaveFile({"Save project", FromCore(LastPathFolder(host_.SettingsPath(), kLastPathProject)),
                          "qvp (*.qvp)", "qvp", FromCore(ProposedProjectName())});
  if (picked.isEmpty()) return false;
  std::string project = ToCore(picked);
  if (LowerExtension(project).empty()) project += ".qvp";
  RememberLastPath(host_.SettingsPath(), kLastPathProject, project);

  const Rect crop = CropImage1->PictureCropRect();
  const TPicturePtr shown = CropImage1->SharedPicture();  // kept while the worker reads it
  const Bitmap24& picture = *shown;
  if (crop.Width() <= 0 || crop.Height() <= 0 || crop.Left < 0 || crop.Top < 0 || crop.Right > picture.Width() ||
      crop.Bottom > picture.Height())
    throw EQuivara("The frame does not lie on the picture. Select an area of the picture first.");
  const TSourceImageRecord source{CropImage1->PictureFileName(), crop};
  if (StretchTiles()) {
    lib.PropX = RoundHalfEven(double(crop.Width()) * 100 / XTiles());
    lib.PropY = RoundHalfEven(double(crop.Height()) * 100 / YTiles());
  }
  const Size cells{XTiles(), YTiles()};
  const QString status = StatusText();
  SetStatusText("Creating project " + FromCore(project) + "...");
  SetBusy(true);
  try {
    RunOffTheWindowThread([&] { CreateProjectFromPicture(lib, project, picture, source, cells); });
  } catch (...) {
    SetBusy(false);
    SetStatusText(status);
    throw;
  }
  SetBusy(false);
  SetStatusText(status);

  host_.InsertRecentFile(project);
  if (!source.FileName.empty()) host_.InsertRecentFile(source.FileName);
  host_.OpenProject(project);
  // Every cell starts showing its part of the picture.
  TQVData& plan = host_.Plan();
  TQVData& mosaic = host_.Mosaic();
  for (int32_t i = 1; i <= mosaic.Count; ++i) {
    plan.GoRecord(i);
    mosaic.RestoreCellFromPlan(i, plan);
  }
  host_.MosaicCellsChanged();
  host_.SaveProject();
  accept();
  return true;
}

}  // namespace qv
