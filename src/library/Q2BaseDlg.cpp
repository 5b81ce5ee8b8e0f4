#include "library/Q2BaseDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <filesystem>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "controls/BitmapImage.h"
#include "controls/SpinEdits.h"
#include "engine/CompositionRun.h"
#include "engine/FolderScan.h"
#include "engine/Signature.h"
#include "library/LibraryFiles.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/Prompts.h"
#include "settings/AppSettings.h"
#include "settings/IniFile.h"

namespace qv {
namespace {

const char kSection[] = "NewBase";
const char* const kTypeNames[kPictureTypeCount] = {"chkBMP", "chkJPG", "chkGIF", "chkICO", "chkTIF",
                                                   "chkPCD", "chkPCX", "chkPSD", "chkRLE", "chkDIB"};
// The boxes as the form shows them: BMP, JPG, GIF, ICO, TIF, PCX, PSD, RLE, DIB, PCD (the
// settings and the patterns list PCD after TIF).
const int kTypeShownOrder[kPictureTypeCount] = {0, 1, 2, 3, 4, 6, 7, 8, 9, 5};
const char* const kCropNames[9] = {"RadioButtonLT", "RadioButtonCT", "RadioButtonRT", "RadioButtonLC", "RadioButtonCC",
                                   "RadioButtonRC", "RadioButtonLB", "RadioButtonCB", "RadioButtonRB"};

TVNSpinEdit* Spin(QWidget* parent, const char* name, int lo, int hi, int value) {
  auto* s = new TVNSpinEdit(lo, hi, 1, value, parent);
  s->setObjectName(name);
  return s;
}

// Earlier builds wrote X.qv2.building first and renamed it to X.qv2 at the end; one killed
// between the two left it behind, a complete copy nobody would open. A build of X.qv2 takes
// it away (a folder of that name is left alone).
void RemoveLeftBuildFile(const std::string& library) {
  const std::filesystem::path left = library + ".building";
  std::error_code ignored;
  const std::filesystem::file_status st = std::filesystem::symlink_status(left, ignored);
  if (std::filesystem::is_regular_file(st) || std::filesystem::is_symlink(st)) std::filesystem::remove(left, ignored);
}

}  // namespace

TQ2NewBaseForm::TQ2NewBaseForm(std::string settingsPath, TForm1* mainForm, QWidget* parent)
    : QDialog(parent), main_(mainForm), settingsPath_(std::move(settingsPath)) {
  setObjectName("Q2NewBaseForm");
  caption_ = "New library";
  setWindowTitle(caption_);
  SetHelpContext(this, kHelpContext);
  CreateControls();
  ReadSettings();
  ShowShape();
}

TQ2NewBaseForm::~TQ2NewBaseForm() = default;

void TQ2NewBaseForm::CreateControls() {
  auto* layout = new QVBoxLayout(this);

  // File name and root folder.
  auto* files = new QGridLayout;
  TxtNewQvb = new QLineEdit(this);
  TxtNewQvb->setObjectName("TxtNewQvb");
  BitBtn3 = new QPushButton("...", this);
  BitBtn3->setObjectName("BitBtn3");
  TxtRoot = new QLineEdit(this);
  TxtRoot->setObjectName("TxtRoot");
  BitBtn4 = new QPushButton("...", this);
  BitBtn4->setObjectName("BitBtn4");
  for (QPushButton* b : {BitBtn3, BitBtn4}) b->setFixedWidth(32);
  files->addWidget(new QLabel("Library file name", this), 0, 0);
  files->addWidget(TxtNewQvb, 0, 1);
  files->addWidget(BitBtn3, 0, 2);
  files->addWidget(new QLabel("Library root directory", this), 1, 0);
  files->addWidget(TxtRoot, 1, 1);
  files->addWidget(BitBtn4, 1, 2);
  layout->addLayout(files);
  CheckBox1 = new QCheckBox("Include subdirectories", this);
  CheckBox1->setObjectName("CheckBox1");
  CheckBox1->setChecked(true);
  layout->addWidget(CheckBox1);

  // Picture types.
  auto* types = new QGroupBox("Image file types:", this);
  auto* typeGrid = new QGridLayout(types);
  for (int shown = 0; shown < kPictureTypeCount; ++shown) {
    const int i = kTypeShownOrder[shown];
    QString ext = QString(PictureTypeExtensions()[size_t(i)]);
    typeBoxes_[i] = new QCheckBox("*" + ext, types);
    typeBoxes_[i]->setObjectName(kTypeNames[i]);
    typeGrid->addWidget(typeBoxes_[i], shown / 5, shown % 5);
  }
  layout->addWidget(types);

  // Tile settings on the left, the tile outline on the right.
  auto* middle = new QHBoxLayout;
  auto* settings = new QGridLayout;
  SpinEdit3 = Spin(this, "SpinEdit3", 0, 100, 0);
  SpinEdit2 = Spin(this, "SpinEdit2", kPropMin, kPropMax, 4);
  SpinEdit1 = Spin(this, "SpinEdit1", kPropMin, kPropMax, 4);
  for (TVNSpinEdit* s : {SpinEdit3, SpinEdit2, SpinEdit1}) s->setMaximumWidth(64);
  settings->addWidget(new QLabel("Margin % :", this), 0, 0);
  settings->addWidget(SpinEdit3, 0, 1);
  settings->addWidget(new QLabel("Picture X/Y rate:", this), 1, 0);
  auto* rate = new QHBoxLayout;
  rate->addWidget(SpinEdit2);
  rate->addWidget(new QLabel("/", this));
  rate->addWidget(SpinEdit1);
  rate->addStretch();
  settings->addLayout(rate, 1, 1);

  auto* crop = new QButtonGroup(this);
  auto* cropGrid = new QGridLayout;
  cropGrid->setSpacing(0);
  for (int i = 0; i < 9; ++i) {
    cropButtons_[i] = new QRadioButton(this);
    cropButtons_[i]->setObjectName(kCropNames[i]);
    crop->addButton(cropButtons_[i], i);
    cropGrid->addWidget(cropButtons_[i], i / 3, i % 3);
  }
  cropButtons_[4]->setChecked(true);
  RadioButtonSA = new QRadioButton("Stretch", this);
  RadioButtonSA->setObjectName("RadioButtonSA");
  crop->addButton(RadioButtonSA, kCropStretch);
  settings->addWidget(new QLabel("Crop", this), 2, 0);
  auto* cropBox = new QHBoxLayout;
  cropBox->addLayout(cropGrid);
  cropBox->addWidget(RadioButtonSA);
  settings->addLayout(cropBox, 2, 1);

  auto* color = new QButtonGroup(this);
  RadioButtonYCC = new QRadioButton("YCC", this);
  RadioButtonYCC->setObjectName("RadioButtonYCC");
  RadioButtonYCC->setChecked(true);
  RadioButtonRGB = new QRadioButton("RGB", this);
  RadioButtonRGB->setObjectName("RadioButtonRGB");
  color->addButton(RadioButtonYCC);
  color->addButton(RadioButtonRGB);
  settings->addWidget(new QLabel("Color mode:", this), 3, 0);
  auto* colorBox = new QHBoxLayout;
  colorBox->addWidget(RadioButtonYCC);
  colorBox->addWidget(RadioButtonRGB);
  settings->addLayout(colorBox, 3, 1);

  // Shown only: every new library samples 6 x 6 and keeps 42-pixel thumbnails.
  SpinEdit5 = Spin(this, "SpinEdit5", 1, 320, 6);
  SpinEdit4 = Spin(this, "SpinEdit4", 1, 320, 6);
  SpinEdit6 = Spin(this, "SpinEdit6", 1, 320, 36);
  SpinEdit7 = Spin(this, "SpinEdit7", 1, 100, 60);
  auto* sampling = new QLabel("Sampling:", this);
  auto* thumbs = new QLabel("Thumbs:", this);
  auto* width = new QLabel("Width:", this);
  auto* quality = new QLabel("Quality:", this);
  for (QWidget* w :
       std::initializer_list<QWidget*>{SpinEdit5, SpinEdit4, SpinEdit6, SpinEdit7, sampling, thumbs, width, quality})
    w->setEnabled(false);
  settings->addWidget(sampling, 4, 0);
  auto* samplingBox = new QHBoxLayout;
  samplingBox->addWidget(SpinEdit5);
  samplingBox->addWidget(SpinEdit4);
  settings->addLayout(samplingBox, 4, 1);
  settings->addWidget(thumbs, 5, 0);
  auto* thumbBox = new QHBoxLayout;
  thumbBox->addWidget(width);
  thumbBox->addWidget(SpinEdit6);
  thumbBox->addWidget(quality);
  thumbBox->addWidget(SpinEdit7);
  settings->addLayout(thumbBox, 5, 1);

  Label10 = new QLabel("Resampling filter:", this);
  Label10->setObjectName("Label10");
  ComboBox1 = new QComboBox(this);
  ComboBox1->setObjectName("ComboBox1");
  ComboBox1->addItems({"Box", "Triangle", "Hermite", "Bell", "Spline", "Lanczos3", "Mitchell"});
  ComboBox1->setCurrentIndex(6);
  settings->addWidget(Label10, 6, 0);
  settings->addWidget(ComboBox1, 6, 1);
  Label10->hide();
  ComboBox1->hide();
  middle->addLayout(settings);

  auto* shapeBox = new QGroupBox("Tile propertis:", this);
  auto* shapeLayout = new QVBoxLayout(shapeBox);
  shapeArea_ = new QFrame(shapeBox);
  shapeArea_->setFixedSize(kShapeSide + 16, kShapeSide + 16);
  Shape1 = new QFrame(shapeArea_);
  Shape1->setObjectName("Shape1");
  Shape1->setStyleSheet("background: white; border: 1px solid black;");
  Shape2 = new QFrame(shapeArea_);
  Shape2->setObjectName("Shape2");
  Shape2->setStyleSheet("background: transparent; border: 1px solid red;");
  Image1 = new QLabel(shapeArea_);
  Image1->setObjectName("Image1");
  Image1->setScaledContents(true);
  Image1->hide();
  shapeLayout->addWidget(shapeArea_, 0, Qt::AlignCenter);
  middle->addWidget(shapeBox);
  layout->addLayout(middle);

  // Progress of a build: pictures done of those found, time taken and time left.
  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setRange(0, 1);
  ProgressBar1->setValue(0);
  LabelProgress = new QLabel(this);
  LabelProgress->setObjectName("LabelProgress");
  layout->addWidget(ProgressBar1);
  layout->addWidget(LabelProgress);

  auto* buttons = new QHBoxLayout;
  BitBtn1 = new QPushButton("Scan images", this);
  BitBtn1->setObjectName("BitBtn1");
  cmndStop = new QPushButton("Stop", this);
  cmndStop->setObjectName("cmndStop");
  cmndStop->setEnabled(false);
  BitBtn2 = new QPushButton("Close", this);
  BitBtn2->setObjectName("BitBtn2");
  SpeedButton2 = new QPushButton("Help", this);
  SpeedButton2->setObjectName("SpeedButton2");
  BitBtn5 = new QPushButton("Append images", this);
  BitBtn5->setObjectName("BitBtn5");
  BitBtn5->hide();  // appending is the library inspector's command
  for (QPushButton* b : {BitBtn1, cmndStop, BitBtn2, SpeedButton2, BitBtn5}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  layout->addLayout(buttons);

  connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
  connect(BitBtn4, &QPushButton::clicked, this, [this] { BitBtn4Click(); });
  connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
  connect(cmndStop, &QPushButton::clicked, this, [this] { cmndStopClick(); });
  connect(BitBtn2, &QPushButton::clicked, this, &QDialog::close);
  connect(SpeedButton2, &QPushButton::clicked, this, [] { ShowHelpTopic(kHelpContext); });
  for (TVNSpinEdit* s : {SpinEdit1, SpinEdit2, SpinEdit3})
    connect(s, &QSpinBox::valueChanged, this, [this] { ShowShape(); });
}

void TQ2NewBaseForm::ReadSettings() {
  const TPictureTypeTicks ticks = TicksFromImgExts(IniReadString(settingsPath_, kSection, "ImgExts", ".JPG"));
  for (int i = 0; i < kPictureTypeCount; ++i) typeBoxes_[i]->setChecked(ticks[size_t(i)]);
  SpinEdit1->SetValue(ClampProportion(IniReadInt(settingsPath_, kSection, "YScale", 4)));
  SpinEdit2->SetValue(ClampProportion(IniReadInt(settingsPath_, kSection, "XScale", 4)));
}

void TQ2NewBaseForm::WriteSettings() {
  TPictureTypeTicks ticks{};
  for (int i = 0; i < kPictureTypeCount; ++i) ticks[size_t(i)] = typeBoxes_[i]->isChecked();
  IniWriteString(settingsPath_, kSection, "ImgExts", ImgExtsFromTicks(ticks));
  IniWriteInt(settingsPath_, kSection, "XScale", SpinEdit2->Value());
  IniWriteInt(settingsPath_, kSection, "YScale", SpinEdit1->Value());
  IniWriteInt(settingsPath_, kSection, "XRes", SpinEdit5->Value());
  IniWriteInt(settingsPath_, kSection, "YRes", SpinEdit4->Value());
  IniWriteInt(settingsPath_, kSection, "ThumbW", SpinEdit6->Value());
  IniWriteInt(settingsPath_, kSection, "ThumbQ", SpinEdit7->Value());
}

void TQ2NewBaseForm::ShowShape() {
  const TTileShapes s = qv::ShowShape(SpinEdit2->Value(), SpinEdit1->Value(), SpinEdit3->Value(), 8, 8);
  Shape1->setGeometry(s.Outline.Left, s.Outline.Top, s.Outline.Width, s.Outline.Height);
  Shape2->setGeometry(s.Kept.Left, s.Kept.Top, s.Kept.Width, s.Kept.Height);
  Image1->setGeometry(Shape2->geometry());
}

std::string TQ2NewBaseForm::GetPictExts() const {
  TPictureTypeTicks ticks{};
  for (int i = 0; i < kPictureTypeCount; ++i) ticks[size_t(i)] = typeBoxes_[i]->isChecked();
  return PictExtsFromTicks(ticks);
}

std::string TQ2NewBaseForm::TargetFileName() const {
  const QString typed = TxtNewQvb->text().trimmed();
  if (typed.isEmpty()) return {};
  return LibraryFileNameFor(ToCore(QFileInfo(typed).absoluteFilePath()));
}

void TQ2NewBaseForm::SetChoices(const TNewLibraryChoices& c) {
  TxtNewQvb->setText(FromCore(c.FileName));
  TxtRoot->setText(FromCore(c.RootFolder));
  for (int i = 0; i < kPictureTypeCount; ++i) typeBoxes_[i]->setChecked(c.Types[size_t(i)]);
  SpinEdit3->SetValue(c.MarginPercent);
  CheckBox1->setChecked(c.IncludeSubfolders);
  if (c.CropMode == kCropStretch)
    RadioButtonSA->setChecked(true);
  else if (c.CropMode >= 0 && c.CropMode < 9)
    cropButtons_[c.CropMode]->setChecked(true);
  SpinEdit2->SetValue(ClampProportion(c.PropX));
  SpinEdit1->SetValue(ClampProportion(c.PropY));
}

int TQ2NewBaseForm::CropMode() const {
  if (RadioButtonSA->isChecked()) return kCropStretch;
  for (int i = 0; i < 9; ++i)
    if (cropButtons_[i]->isChecked()) return i;
  return 4;
}

void TQ2NewBaseForm::BitBtn3Click() {
  TFileRequest r;
  r.Title = "New library";
  r.Folder = FromCore(LastPathFolder(settingsPath_, kLastPathLibrary));
  r.Filter = "Quivara library (*.qv2);;All files (*.*)";
  r.DefaultSuffix = "qv2";
  r.FileName = TxtNewQvb->text();
  const QString picked = Prompts().SaveFile(r);
  if (picked.isEmpty()) return;
  RememberLastPath(settingsPath_, kLastPathLibrary, ToCore(picked));
  TxtNewQvb->setText(picked);
}

void TQ2NewBaseForm::BitBtn4Click() {
  QString start = TxtRoot->text();
  if (start.isEmpty()) start = FromCore(IniReadString(settingsPath_, "LastPath", "LibraryRoot", ""));
  QString picked = Prompts().ChooseFolder("Choose Library Root Directory", start);
  if (picked.isEmpty()) return;
  if (!picked.endsWith('/')) picked += '/';
  IniWriteString(settingsPath_, "LastPath", "LibraryRoot", ToCore(picked));
  TxtRoot->setText(picked);
}

void TQ2NewBaseForm::Ask(const QString& text) {
  Prompts().Message({text, kApplicationTitle, TPromptIcon::Question, pbOK, pbNone});
}

void TQ2NewBaseForm::SetRunning(bool running) {
  running_ = running;
  cmndStop->setEnabled(running);
  BitBtn1->setEnabled(!running);
  BitBtn2->setEnabled(!running);
  // The settings stay as they were read for the whole pass.
  for (QWidget* w :
       std::initializer_list<QWidget*>{TxtNewQvb, TxtRoot, BitBtn3, BitBtn4, CheckBox1, SpinEdit1, SpinEdit2, SpinEdit3,
                                       RadioButtonSA, RadioButtonYCC, RadioButtonRGB})
    w->setEnabled(!running);
  for (QCheckBox* b : typeBoxes_) b->setEnabled(!running);
  for (QRadioButton* b : cropButtons_) b->setEnabled(!running);
}

void TQ2NewBaseForm::BitBtn1Click() {
  if (running_) return;
  if (TxtNewQvb->text().trimmed().isEmpty()) return Ask("Please specify new library name");
  if (TxtRoot->text().trimmed().isEmpty()) return Ask("Please specify library root directory");
  const std::string f = TargetFileName();
  const std::string root = ToCore(QFileInfo(TxtRoot->text().trimmed()).absoluteFilePath());
  // Refused before anything is scanned, so nothing is lost and no time is spent.
  if (!DirectoryExists(root)) {
    Prompts().Error("Library root directory\r" + FromCore(root) + "\rdoes not exist.", kApplicationTitle);
    return;
  }
  const std::string folder = ExtractFileDir(f);
  if (!DirectoryExists(folder) || !FolderIsWritable(folder)) {
    Prompts().Error("Library file\r" + FromCore(f) + "\rcannot be written: its folder does not exist or is read-only.",
                    kApplicationTitle);
    return;
  }

  if (FileIsReadOnly(FromCore(f))) {
    Prompts().Error("Library file\r" + FromCore(f) + "\ris read-only: it was left as it was.", kApplicationTitle);
    return;
  }

  QVData1.Close();
  QVData1.StopRequested = false;
  // A 6 x 6 grid, thumbnails of 42 pixels at quality 85 and format byte 3, as every new
  // library has them (the defaults); the rest from the controls.
  TBuildSettings settings;
  settings.MarginPercent = SpinEdit3->Value();
  settings.FilterCode = static_cast<uint8_t>(ComboBox1->currentIndex());
  settings.PropX = SpinEdit2->Value();
  settings.PropY = SpinEdit1->Value();
  settings.PictureExtensions = GetPictExts();
  settings.RootFolder = root;
  settings.IncludeSubfolders = CheckBox1->isChecked();
  settings.CropMode = CropMode();
  settings.ColorSystem = RadioButtonRGB->isChecked() ? kColorRGB : kColorYCC;
  settings.FastJpeg = main_ ? main_->Preferences().FastJpegAllowed : true;
  settings.Threads = BuildThreads;

  // The pictures are counted first, so the bar and the time left mean something.
  filesFound_ = 0;
  if (!settings.PictureExtensions.empty()) {
    filesFound_ = static_cast<int64_t>(ListPictureFiles(settings).size());
    if (filesFound_ == 0) {
      Prompts().Error("No picture of the ticked types was found in\r" + FromCore(root), kApplicationTitle);
      return;
    }
  }
  filesSeen_ = 0;
  ProgressBar1->setRange(0, int(std::min<int64_t>(filesFound_, INT32_MAX)));
  ProgressBar1->setValue(0);
  LabelProgress->setText(FromCore(PassProgressText(0, filesFound_, 0, "pictures")));

  SetRunning(true);
  Image1->setGeometry(Shape2->geometry());
  Image1->clear();
  Image1->show();
  QVData1.OnProcessMessages = [] { QCoreApplication::processEvents(); };
  QVData1.OnCreateBaseProgress = [this](TQVData&) { QVData1CreateBaseProgress(); };
  clock_.start();
  // The file takes the target's place (written aside and renamed over it, so an interrupted
  // build leaves the old one) only when it holds a picture: a build that could add none
  // (pictures that cannot be read, a stop before the first) never replaces a library of
  // that name.
  settings.WriteEmptyLibrary = false;
  RemoveLeftBuildFile(f);
  bool written = false;
  try {
    written = QVData1.CreateLibrary(f, settings);
  } catch (const std::exception& e) {
    // No type ticked, or the work files could not be made: the message, and the dialog
    // ready for another try.
    Image1->hide();
    SetRunning(false);
    QVData1.Close();
    ShowException(e);
    return;
  }
  QVData1.OnCreateBaseProgress = nullptr;
  QVData1.OnProcessMessages = nullptr;
  Image1->hide();
  SetRunning(false);
  // A stopped build shows how far it came.
  ProgressBar1->setValue(QVData1.StopRequested ? int(std::min<int64_t>(filesSeen_, ProgressBar1->maximum()))
                                               : ProgressBar1->maximum());
  LabelProgress->setText(FromCore(std::to_string(QVData1.AddedCount) + " pictures indexed in " +
                                  FormatElapsed(clock_.elapsed()) + (QVData1.StopRequested ? ", stopped" : "")));
  QVData1.Close();
  if (QVData1.AddedCount == 0) {
    Prompts().Error("No picture could be added, so the library\r" + FromCore(f) + "\rwas not written.",
                    kApplicationTitle);
    return;
  }
  if (!written) {
    Prompts().Error("Library file\r" + FromCore(f) + "\rcould not be written.", kApplicationTitle);
    return;
  }
  OfferToMainForm(f);
}

void TQ2NewBaseForm::OfferToMainForm(const std::string& f) {
  if (!main_) return;
  const int t = main_->QVLib1.TableIsOpen() ? main_->QVLib1.CompareLibraryFile(f) : 0;
  if (t == 0 || (t > 0 && !main_->QVPlan1.TableIsOpen())) {
    main_->OpenLibraryByName(f);
    RememberLastPath(settingsPath_, kLastPathLibrary, f);
  } else if (t < 0) {
    Prompts().Error(FromCore("File " + f + " is not Quivara base and can't be open."), kApplicationTitle);
  } else {
    const QString text = FromCore("Library \r" + f +
                                  "\rhas a different tile height/width ratio.\rIf you want to open it right now - you "
                                  "had to close the current project.\rClose the current project?\r");
    bool opened = false;
    if (Prompts().Message({text, kApplicationTitle, TPromptIcon::Question, pbOK | pbCancel, pbOK}) == pbOK &&
        main_->CloseProject()) {
      main_->OpenLibraryByName(f);
      RememberLastPath(settingsPath_, kLastPathLibrary, f);
      opened = true;
    }
    if (!opened)
      Prompts().Info(FromCore("Library \r" + f + "\rwas created.\rYou may open it after closing New Base window."),
                     kApplicationTitle);
  }
  main_->SetButtonsOnOff();
}

void TQ2NewBaseForm::QVData1CreateBaseProgress() {
  ++filesSeen_;
  setWindowTitle(QString::number(QVData1.Progress) + " pic indexed");
  if (!QVData1.LastTilePicture.Empty()) Image1->setPixmap(QPixmap::fromImage(ToQImage(QVData1.LastTilePicture)));
  const int64_t done = filesSeen_ - 1;
  ProgressBar1->setValue(int(std::min<int64_t>(done, ProgressBar1->maximum())));
  LabelProgress->setText(FromCore(PassProgressText(done, filesFound_, clock_.elapsed(), "pictures")));
}

void TQ2NewBaseForm::cmndStopClick() { QVData1.StopRequested = true; }

void TQ2NewBaseForm::reject() {
  if (running_) {
    QVData1.StopRequested = true;
    return;
  }
  WriteSettings();
  QDialog::reject();
}

}  // namespace qv
