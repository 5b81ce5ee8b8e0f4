// TWizard: the fourteen pages and the buttons below them.
#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "controls/CropImage.h"
#include "controls/NamedWidget.h"
#include "controls/SpinEdits.h"
#include "mainwindow/HelpWindow.h"
#include "wizard/TileCropDrawing.h"
#include "wizard/Wizard.h"

namespace qv {

namespace {

// A read-only file or folder field with its "Locate..." button, under an optional label.
QLineEdit* FileRow(QVBoxLayout* layout, QWidget* page, const char* editName, const char* buttonName,
                   QPushButton*& button, const QString& label = {}) {
  if (!label.isEmpty()) layout->addWidget(new QLabel(label, page));
  auto* row = new QHBoxLayout;
  auto* edit = MakeNamed<QLineEdit>(editName, page);
  edit->setReadOnly(true);
  button = MakeNamed<QPushButton>(buttonName, "Locate...", page);
  row->addWidget(edit, 1);
  row->addWidget(button);
  layout->addLayout(row);
  return edit;
}

QVBoxLayout* BodyOf(QWidget* page) { return static_cast<QVBoxLayout*>(page->layout()); }

// The check boxes of page 2 in the order they are shown, with their place in
// PictureTypeExtensions (BMP, JPG, GIF, ICO, TIF, PCD, PCX, PSD, RLE, DIB).
struct TTypeBox {
  const char* Name;
  const char* Caption;
  int Index;
};
constexpr TTypeBox kTypeBoxes[kPictureTypeCount] = {
    {"chkBMP", "*.BMP", 0}, {"chkJPG", "*.JPG", 1}, {"chkGIF", "*.GIF", 2}, {"chkICO", "*.ICO", 3},
    {"chkTIF", "*.TIF", 4}, {"chkPCX", "*.PCX", 6}, {"chkPSD", "*.PSD", 7}, {"chkRLE", "*.RLE", 8},
    {"chkDIB", "*.DIB", 9}, {"chkPCD", "*.PCD", 5},
};

}  // namespace

QWidget* TWizard::NewPage(int index, const QString& title) {
  auto* page = new QWidget(Pages);
  page->setObjectName(QString("Page%1").arg(index));
  auto* layout = new QVBoxLayout(page);
  auto* caption = MakeNamed<QLabel>("LabelTitle", title, page);
  QFont f = caption->font();
  f.setBold(true);
  f.setPointSizeF(f.pointSizeF() * 1.25);
  caption->setFont(f);
  layout->addWidget(caption);
  auto* line = new QFrame(page);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  layout->addWidget(line);
  SetHelpContext(page, kWizardPageHelpContexts[index]);
  Pages->addWidget(page);
  page_[size_t(index)] = page;
  return page;
}

void TWizard::CreatePages() {
  auto* layout = new QVBoxLayout(this);
  Pages = MakeNamed<QStackedWidget>("Pages", this);
  layout->addWidget(Pages, 1);
  CreateTaskPage();
  CreateFolderPage();
  CreateTypesPage();
  CreateProportionsPage();
  CreateLibraryNamePage();
  CreateCreateLibraryPage();
  CreateOpenLibraryPage();
  CreateSourcePage();
  CreateGridPage();
  CreateProjectPage();
  CreateCreateMosaicPage();
  CreateOutputSizePage();
  CreateMosaicNamePage();
  CreateSavePage();

  ProgressBar1 = MakeNamed<QProgressBar>("ProgressBar1", this);
  ProgressBar1->hide();
  layout->addWidget(ProgressBar1);
  auto* line = new QFrame(this);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  layout->addWidget(line);
  auto* buttons = new QHBoxLayout;
  BtnHelp = MakeNamed<QPushButton>("BtnHelp", "Help", this);
  BtnBack = MakeNamed<QPushButton>("BtnBack", "< Back", this);
  BtnNext = MakeNamed<QPushButton>("BtnNext", "Next >", this);
  BtnCancel = MakeNamed<QPushButton>("BtnCancel", "Cancel", this);
  for (QPushButton* b : {BtnHelp, BtnBack, BtnNext, BtnCancel}) b->setAutoDefault(false);
  BtnNext->setDefault(true);
  buttons->addWidget(BtnHelp);
  buttons->addStretch();
  buttons->addWidget(BtnBack);
  buttons->addWidget(BtnNext);
  buttons->addSpacing(12);
  buttons->addWidget(BtnCancel);
  layout->addLayout(buttons);
}

void TWizard::CreateTaskPage() {
  QWidget* page = NewPage(kPageTask, "What do you want to do?");
  QVBoxLayout* body = BodyOf(page);
  RBNewLibrary = MakeNamed<QRadioButton>("RBNewLibrary", "Create a new tile library.", page);
  RBNewMosaic =
      MakeNamed<QRadioButton>("RBNewMosaic", "Open an already existing tile library and create a mosaic.", page);
  RBSaveMosaic = MakeNamed<QRadioButton>("RBSaveMosaic", "Save mosaic.", page);
  for (QRadioButton* b : {RBNewLibrary, RBNewMosaic, RBSaveMosaic}) body->addWidget(b);
  body->addSpacing(12);
  LabelExplanation = MakeNamed<QLabel>("LabelExplanation", "(Please select)", page);
  LabelExplanation->setWordWrap(true);
  LabelExplanation->setMinimumHeight(60);
  LabelExplanation->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  body->addWidget(LabelExplanation);
  body->addStretch();
  ChkShowOnStart = MakeNamed<QCheckBox>("ChkShowOnStart", "Show this Wizard every time Quivara starts.", page);
  body->addWidget(ChkShowOnStart);
}

void TWizard::CreateFolderPage() {
  QWidget* page = NewPage(kPageFolder, "Where is your tile image folder?");
  QVBoxLayout* body = BodyOf(page);
  EditFolder = FileRow(body, page, "EditFolder", "BtnLocateFolder", BtnLocateFolder,
                       "The pictures in this folder become the tiles of the new library:");
  ChkSubfolders = MakeNamed<QCheckBox>("ChkSubfolders", "Include subfolders", page);
  ChkSubfolders->setChecked(true);
  body->addWidget(ChkSubfolders);
  body->addStretch();
}

void TWizard::CreateTypesPage() {
  QWidget* page = NewPage(kPageTypes, "What a file types do you want to use as tiles?");
  auto* grid = new QGridLayout;
  for (int i = 0; i < kPictureTypeCount; ++i) {
    const TTypeBox& t = kTypeBoxes[i];
    auto* box = MakeNamed<QCheckBox>(t.Name, t.Caption, page);
    typeBoxes_[size_t(t.Index)] = box;
    grid->addWidget(box, i % 5, i / 5);
  }
  BodyOf(page)->addLayout(grid);
  BodyOf(page)->addStretch();
}

void TWizard::CreateProportionsPage() {
  QWidget* page = NewPage(kPageProportions, "What tile proportions do you want to use?");
  auto* columns = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  RBSquare = MakeNamed<QRadioButton>("RBSquare", "Square - ( 4 x 4 )", page);
  RBPortrait = MakeNamed<QRadioButton>("RBPortrait", "Portrait - ( 3 x 4 )", page);
  RBLandscape = MakeNamed<QRadioButton>("RBLandscape", "Landscape - ( 4 x 3 )", page);
  RBCustom = MakeNamed<QRadioButton>("RBCustom", "Custom", page);
  auto* shapes = new QButtonGroup(page);
  for (QRadioButton* b : {RBSquare, RBPortrait, RBLandscape, RBCustom}) {
    shapes->addButton(b);
    left->addWidget(b);
  }
  customFields_ = new QWidget(page);
  auto* custom = new QHBoxLayout(customFields_);
  custom->setContentsMargins(20, 0, 0, 0);
  SpinCustomX = MakeNamed<TVNSpinEdit>("SpinCustomX", 1, 999, 1, 4, customFields_);
  SpinCustomY = MakeNamed<TVNSpinEdit>("SpinCustomY", 1, 999, 1, 4, customFields_);
  custom->addWidget(new QLabel("X", customFields_));
  custom->addWidget(SpinCustomX);
  custom->addWidget(new QLabel("Y", customFields_));
  custom->addWidget(SpinCustomY);
  custom->addStretch();
  left->addWidget(customFields_);
  auto* margin = new QHBoxLayout;
  SpinMargin = MakeNamed<TVNSpinEdit>("SpinMargin", 0, 99, 1, 0, page);
  margin->addWidget(new QLabel("Margin %", page));
  margin->addWidget(SpinMargin);
  margin->addStretch();
  left->addLayout(margin);
  left->addStretch();
  columns->addLayout(left, 1);

  auto* right = new QVBoxLayout;
  right->addWidget(new QLabel("Crop", page));
  auto* anchors = new QGridLayout;
  auto* anchorGroup = new QButtonGroup(page);
  static const char* const kAnchorNames[9] = {"RadioButtonLT", "RadioButtonCT", "RadioButtonRT",
                                              "RadioButtonLC", "RadioButtonCC", "RadioButtonRC",
                                              "RadioButtonLB", "RadioButtonCB", "RadioButtonRB"};
  for (int i = 0; i < 9; ++i) {
    anchorButtons_[size_t(i)] = MakeNamed<QRadioButton>(kAnchorNames[i], page);
    anchorGroup->addButton(anchorButtons_[size_t(i)]);
    anchors->addWidget(anchorButtons_[size_t(i)], i / 3, i % 3);
  }
  anchorButtons_[4]->setChecked(true);
  right->addLayout(anchors);
  RadioButtonSA = MakeNamed<QRadioButton>("RadioButtonSA", "Stretch", page);
  anchorGroup->addButton(RadioButtonSA);
  right->addWidget(RadioButtonSA);
  CropDrawing = new TTileCropDrawing(page);
  right->addWidget(CropDrawing);
  right->addStretch();
  columns->addLayout(right);
  BodyOf(page)->addLayout(columns, 1);
}

void TWizard::CreateLibraryNamePage() {
  QWidget* page = NewPage(kPageLibraryName, "Save a new picture tile database.");
  EditLibraryFile = FileRow(BodyOf(page), page, "EditLibraryFile", "BtnLocateLibraryFile", BtnLocateLibraryFile,
                            "File name for new picture tile library:");
  BodyOf(page)->addStretch();
}

void TWizard::CreateCreateLibraryPage() {
  QWidget* page = NewPage(kPageCreateLibrary, "Create new library.");
  LabelLibrarySummary = MakeNamed<QLabel>("LabelLibrarySummary", page);
  LabelLibrarySummary->setWordWrap(true);
  BodyOf(page)->addWidget(LabelLibrarySummary);
  BtnCreateLibrary = MakeNamed<QPushButton>("BtnCreateLibrary", "Create", page);
  auto* row = new QHBoxLayout;
  row->addWidget(BtnCreateLibrary);
  row->addStretch();
  BodyOf(page)->addLayout(row);
  BodyOf(page)->addStretch();
}

void TWizard::CreateOpenLibraryPage() {
  QWidget* page = NewPage(kPageOpenLibrary, "Open the image tile library.");
  QVBoxLayout* body = BodyOf(page);
  EditOpenLibrary = FileRow(body, page, "EditOpenLibrary", "BtnLocateOpenLibrary", BtnLocateOpenLibrary);
  BtnUseCurrentLibrary = MakeNamed<QPushButton>("BtnUseCurrentLibrary", "Use current library", page);
  auto* row = new QHBoxLayout;
  row->addWidget(BtnUseCurrentLibrary);
  row->addStretch();
  body->addLayout(row);
  LabelCurrentBase = MakeNamed<QLabel>("LabelCurrentBase", "Current base:", page);
  LabelCurrentBase->setWordWrap(true);
  body->addWidget(LabelCurrentBase);
  body->addStretch();
}

void TWizard::CreateSourcePage() {
  QWidget* page = NewPage(kPageSource, "Open the source image.");
  QVBoxLayout* body = BodyOf(page);
  EditSource = FileRow(body, page, "EditSource", "BtnLocateSource", BtnLocateSource);
  BtnUseCurrentPicture = MakeNamed<QPushButton>("BtnUseCurrentPicture", "Use current picture", page);
  auto* row = new QHBoxLayout;
  row->addWidget(BtnUseCurrentPicture);
  row->addStretch();
  body->addLayout(row);
  body->addStretch();
}

void TWizard::CreateGridPage() {
  QWidget* page = NewPage(kPageGrid, "Define the size of output mosaic.");
  QVBoxLayout* body = BodyOf(page);
  auto* row = new QHBoxLayout;
  SpinColumns = MakeNamed<TVNSpinEdit>("SpinColumns", 1, 999999, 1, 30, page);
  SpinRows = MakeNamed<TVNSpinEdit>("SpinRows", 1, 999999, 1, 30, page);
  row->addWidget(new QLabel("X Columns", page));
  row->addWidget(SpinColumns);
  row->addSpacing(12);
  row->addWidget(new QLabel("Y Rows", page));
  row->addWidget(SpinRows);
  row->addStretch();
  ChkPreviewCells = MakeNamed<QCheckBox>("ChkPreviewCells", "Preview cells", page);
  ChkPreviewCells->setChecked(true);
  row->addWidget(ChkPreviewCells);
  body->addLayout(row);
  CropImage1 = MakeNamed<TCropImage>("CropImage1", page);
  CropImage1->SetShowCells(true);
  CropImage1->SetPictureStretch(false);
  CropImage1->setMinimumHeight(200);
  body->addWidget(CropImage1, 1);
}

void TWizard::CreateProjectPage() {
  QWidget* page = NewPage(kPageProject, "Save a new Quivara Picture Project file.");
  EditProject = FileRow(BodyOf(page), page, "EditProject", "BtnLocateProject", BtnLocateProject);
  BodyOf(page)->addStretch();
}

void TWizard::CreateCreateMosaicPage() {
  QWidget* page = NewPage(kPageCreateMosaic, "Create mosaic.");
  QVBoxLayout* body = BodyOf(page);
  RBNormal = MakeNamed<QRadioButton>("RBNormal", "Normal render mode.", page);
  RBRandom = MakeNamed<QRadioButton>("RBRandom", "Random render mode.", page);
  RBSmart = MakeNamed<QRadioButton>("RBSmart", "Smart render mode.", page);
  for (QRadioButton* b : {RBNormal, RBRandom, RBSmart}) body->addWidget(b);
  auto* row = new QHBoxLayout;
  BtnAdvanced = MakeNamed<QPushButton>("BtnAdvanced", "Advanced...", page);
  BtnCreateMosaic = MakeNamed<QPushButton>("BtnCreateMosaic", "Create", page);
  row->addWidget(BtnAdvanced);
  row->addStretch();
  row->addWidget(BtnCreateMosaic);
  body->addSpacing(12);
  body->addLayout(row);
  body->addStretch();
}

void TWizard::CreateOutputSizePage() {
  QWidget* page = NewPage(kPageOutputSize, "Define the size of resampled mosaic.");
  QVBoxLayout* body = BodyOf(page);
  auto* grid = new QGridLayout;
  SpinCellWidth = MakeNamed<TVNSpinEdit>("SpinCellWidth", 1, 999999, 1, 32, page);
  SpinDpi = MakeNamed<TVNSpinEdit>("SpinDpi", 1, 999999999, 1, 150, page);
  grid->addWidget(new QLabel("Width of one cell:", page), 0, 0);
  grid->addWidget(SpinCellWidth, 0, 1);
  grid->addWidget(new QLabel("pixels", page), 0, 2);
  grid->addWidget(new QLabel("dpi:", page), 1, 0);
  grid->addWidget(SpinDpi, 1, 1);
  LabelCells = MakeNamed<QLabel>("LabelCells", page);
  LabelPixels = MakeNamed<QLabel>("LabelPixels", page);
  LabelBytes = MakeNamed<QLabel>("LabelBytes", page);
  LabelInch = MakeNamed<QLabel>("LabelInch", page);
  LabelCm = MakeNamed<QLabel>("LabelCm", page);
  int r = 2;
  for (auto [caption, label] :
       {std::pair{"Mosaic:", LabelCells}, std::pair{"Output size:", LabelPixels},
        std::pair{"Memory (bytes):", LabelBytes}, std::pair{"Print size:", LabelInch}, std::pair{"", LabelCm}}) {
    grid->addWidget(new QLabel(caption, page), r, 0);
    grid->addWidget(label, r, 1, 1, 2);
    ++r;
  }
  grid->setColumnStretch(3, 1);
  body->addLayout(grid);
  ChkSelectedArea = MakeNamed<QCheckBox>("ChkSelectedArea", "Save only selected area", page);
  body->addWidget(ChkSelectedArea);
  body->addStretch();
}

void TWizard::CreateMosaicNamePage() {
  QWidget* page = NewPage(kPageMosaicName, "Select a name for a new mosaic.");
  EditMosaic = FileRow(BodyOf(page), page, "EditMosaic", "BtnLocateMosaic", BtnLocateMosaic,
                       "File name for mosaic picture file:");
  BodyOf(page)->addStretch();
}

void TWizard::CreateSavePage() {
  QWidget* page = NewPage(kPageSave, "Resample and save mosaic");
  // Everything but "Save" and "Stop", locked together during a save.
  saveOptions_ = new QWidget(page);
  auto* options = new QVBoxLayout(saveOptions_);
  options->setContentsMargins(0, 0, 0, 0);
  LabelSaveLine = MakeNamed<QLabel>("LabelSaveLine", saveOptions_);
  LabelSaveLine->setWordWrap(true);
  options->addWidget(LabelSaveLine);
  ChkUseThumbs = MakeNamed<QCheckBox>("ChkUseThumbs", "Use thumbs stored in the base (faster).", saveOptions_);
  ChkUseThumbs->setChecked(true);
  ChkDirect = MakeNamed<QCheckBox>("ChkDirect", "Write image file direct to disk (no RAM).", saveOptions_);
  ChkSharpen = MakeNamed<QCheckBox>("ChkSharpen", "Sharpen tiles", saveOptions_);
  ChkSharpen->setChecked(true);
  for (QCheckBox* b : {ChkUseThumbs, ChkDirect, ChkSharpen}) options->addWidget(b);
  auto* grid = new QGridLayout;
  SpinCorrection = MakeNamed<TVNSpinEdit>("SpinCorrection", 0, 100, 1, 0, saveOptions_);
  SpinBlend = MakeNamed<TVNSpinEdit>("SpinBlend", 0, 100, 1, 0, saveOptions_);
  grid->addWidget(new QLabel("Color correction:", saveOptions_), 0, 0);
  grid->addWidget(SpinCorrection, 0, 1);
  grid->addWidget(new QLabel("%", saveOptions_), 0, 2);
  grid->addWidget(new QLabel("Blend Tiles with the Main Image:", saveOptions_), 1, 0);
  grid->addWidget(SpinBlend, 1, 1);
  grid->addWidget(new QLabel("%", saveOptions_), 1, 2);
  grid->setColumnStretch(3, 1);
  options->addLayout(grid);
  ChkCloseWizard = MakeNamed<QCheckBox>("ChkCloseWizard", "Close Wizard", saveOptions_);
  ChkCloseWizard->setChecked(true);
  options->addWidget(ChkCloseWizard);
  BodyOf(page)->addWidget(saveOptions_);

  auto* row = new QHBoxLayout;
  BtnSave = MakeNamed<QPushButton>("BtnSave", "Save", page);
  BtnStop = MakeNamed<QPushButton>("BtnStop", "Stop", page);
  BtnStop->hide();
  row->addStretch();
  row->addWidget(BtnSave);
  row->addWidget(BtnStop);
  BodyOf(page)->addLayout(row);
  BodyOf(page)->addStretch();
}

}  // namespace qv
