#include "mainwindow/QualityForm.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <utility>

#include "base/Rounding.h"
#include "codecs/PngCodec.h"
#include "controls/SpinEdits.h"
#include "engine/QVData.h"
#include "imaging/HeatMap.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/Prompts.h"
#include "mainwindow/WindowBounds.h"
#include "output/RenderFidelity.h"
#include "settings/AppSettings.h"

namespace qv {
namespace {

constexpr char kBoundsSection[] = "LayOut";
constexpr char kBoundsKey[] = "MosaicQuality";
constexpr int kMapSide = 400;  // the heat map is shown within this square

QImage ToImage(const Bitmap24& b) {
  QImage image(b.Width(), b.Height(), QImage::Format_RGB888);
  for (int y = 0; y < b.Height(); ++y) {
    const uint8_t* s = b.Row(y);
    uchar* d = image.scanLine(y);
    for (int x = 0; x < b.Width(); ++x) {
      d[x * 3] = s[x * 3 + 2];
      d[x * 3 + 1] = s[x * 3 + 1];
      d[x * 3 + 2] = s[x * 3];
    }
  }
  return image;
}

QString Number(uint64_t v) { return QLocale::c().toString(qulonglong(v)); }

}  // namespace

TQualityForm::TQualityForm(TQVData& library, TQVData& plan, TQVData& mosaic, std::string settingsPath, QWidget* parent)
    : QDialog(parent), lib_(library), plan_(plan), mosaic_(mosaic), settingsPath_(std::move(settingsPath)) {
  setObjectName("QualityForm");
  setWindowTitle("Mosaic quality");
  SetHelpContext(this, kHelpContext);

  const std::vector<int64_t> distances = CellDistances(lib_, plan_, mosaic_);
  std::vector<int32_t> tileNos(distances.size());
  for (int32_t c = 1; c <= mosaic_.Count; ++c) tileNos[size_t(c - 1)] = mosaic_.RecordTileNo(c);
  figures_ = QualityFigures(distances, tileNos);
  map_ = DistanceHeatMap(distances, plan_.Cols, plan_.Rows, figures_.P99);

  auto* layout = new QVBoxLayout(this);
  auto* columns = new QHBoxLayout;
  layout->addLayout(columns, 1);

  // The map with its ramp and the two ends named.
  auto* mapColumn = new QVBoxLayout;
  columns->addLayout(mapColumn);
  Map1 = new QLabel(this);
  Map1->setObjectName("Map1");
  Map1->setAlignment(Qt::AlignCenter);
  const QImage image = ToImage(map_);
  Map1->setPixmap(QPixmap::fromImage(image.scaled(kMapSide, kMapSide, Qt::KeepAspectRatio, Qt::FastTransformation)));
  Map1->setToolTip(
      "The distance of every cell to its plan: dark blue is close, red far; grey cells hold no "
      "library tile");
  mapColumn->addWidget(Map1);
  Legend1 = new QLabel(this);
  Legend1->setObjectName("Legend1");
  std::vector<double> ramp(256);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = double(i);
  Legend1->setPixmap(QPixmap::fromImage(ToImage(HeatMapPicture(ramp, 256, 1, 1, 255))
                                            .scaled(kMapSide, 12, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
  mapColumn->addWidget(Legend1, 0, Qt::AlignHCenter);
  auto* ends = new QHBoxLayout;
  LabelLow = new QLabel("0", this);
  LabelLow->setObjectName("LabelLow");
  LabelHigh = new QLabel(Number(uint64_t(std::max<int64_t>(figures_.P99, 0))) + " (99th percentile) and more", this);
  LabelHigh->setObjectName("LabelHigh");
  ends->addWidget(LabelLow);
  ends->addStretch();
  ends->addWidget(LabelHigh);
  mapColumn->addLayout(ends);
  mapColumn->addStretch();

  // The figures.
  auto* right = new QVBoxLayout;
  columns->addLayout(right);
  auto* distancesBox = new QGroupBox("Cell distances", this);
  distancesBox->setObjectName("GroupDistances");
  auto* grid = new QGridLayout(distancesBox);
  LabelCells = AddFigure(grid, 0, "Cells measured:", "LabelCells");
  LabelTotal = AddFigure(grid, 1, "Total:", "LabelTotal");
  LabelMean = AddFigure(grid, 2, "Mean:", "LabelMean");
  LabelP50 = AddFigure(grid, 3, "50th percentile:", "LabelP50");
  LabelP90 = AddFigure(grid, 4, "90th percentile:", "LabelP90");
  LabelP99 = AddFigure(grid, 5, "99th percentile:", "LabelP99");
  LabelLargest = AddFigure(grid, 6, "Largest:", "LabelLargest");
  LabelTiles = AddFigure(grid, 7, "Distinct tiles:", "LabelTiles");
  LabelUses = AddFigure(grid, 8, "Largest use count:", "LabelUses");
  right->addWidget(distancesBox);

  QString cells = Number(uint64_t(figures_.Measured)) + " of " + Number(uint64_t(figures_.Cells));
  if (figures_.Measured < figures_.Cells) {
    QStringList others;
    if (figures_.Empty) others << QString("%1 empty").arg(figures_.Empty);
    if (figures_.Custom) others << QString("%1 custom").arg(figures_.Custom);
    if (figures_.Foreign) others << QString("%1 not in the library").arg(figures_.Foreign);
    cells += " (" + others.join(", ") + ")";
  }
  LabelCells->setText(cells);
  LabelTotal->setText(Number(figures_.Total));
  LabelMean->setText(QString::number(figures_.Mean, 'f', 1));
  LabelP50->setText(Number(uint64_t(figures_.P50)));
  LabelP90->setText(Number(uint64_t(figures_.P90)));
  LabelP99->setText(Number(uint64_t(figures_.P99)));
  LabelLargest->setText(Number(uint64_t(figures_.Largest)));
  LabelTiles->setText(Number(uint64_t(figures_.DistinctTiles)));
  LabelUses->setText(Number(uint64_t(figures_.MostUses)));

  auto* renderBox = new QGroupBox("Rendered against the source picture", this);
  renderBox->setObjectName("GroupRender");
  auto* rgrid = new QGridLayout(renderBox);
  rgrid->addWidget(new QLabel("Width:", renderBox), 0, 0);
  const int natural = std::clamp(plan_.Cols * std::max(mosaic_.PropX, 1), plan_.Cols, 1500);
  SpinWidth1 = new TVNSpinEdit(std::max(plan_.Cols, 1), 20000, 100, std::max(natural, 1500), renderBox);
  SpinWidth1->setObjectName("SpinWidth1");
  rgrid->addWidget(SpinWidth1, 0, 1);
  BtnCompare = new QPushButton("Compare", renderBox);
  BtnCompare->setObjectName("BtnCompare");
  connect(BtnCompare, &QPushButton::clicked, this, &TQualityForm::CompareClick);
  rgrid->addWidget(BtnCompare, 0, 2);
  LabelPsnr = AddFigure(rgrid, 1, "PSNR:", "LabelPsnr");
  LabelSsim = AddFigure(rgrid, 2, "SSIM (luma, 8 x 8):", "LabelSsim");
  LabelCellError = AddFigure(rgrid, 3, "Cell-mean error:", "LabelCellError");
  right->addWidget(renderBox);
  right->addStretch();

  auto* buttons = new QHBoxLayout;
  BtnSaveMap = new QPushButton("Save map...", this);
  BtnSaveMap->setObjectName("BtnSaveMap");
  connect(BtnSaveMap, &QPushButton::clicked, this, &TQualityForm::SaveMapClick);
  buttons->addWidget(BtnSaveMap);
  buttons->addStretch();
  BtnClose = new QPushButton("Close", this);
  BtnClose->setObjectName("BtnClose");
  BtnClose->setDefault(true);
  connect(BtnClose, &QPushButton::clicked, this, &QDialog::accept);
  buttons->addWidget(BtnClose);
  layout->addLayout(buttons);

  PlaceDialog(this, QSize(760, 500), settingsPath_, kBoundsSection, kBoundsKey);
}

TQualityForm::~TQualityForm() = default;

QLabel* TQualityForm::AddFigure(QGridLayout* grid, int row, const QString& caption, const char* name) {
  auto* parent = grid->parentWidget();
  grid->addWidget(new QLabel(caption, parent), row, 0);
  auto* value = new QLabel("-", parent);
  value->setObjectName(name);
  value->setTextInteractionFlags(Qt::TextSelectableByMouse);
  grid->addWidget(value, row, 1, 1, 2, Qt::AlignRight);
  return value;
}

void TQualityForm::done(int result) {
  if (!boundsSaved_) {
    boundsSaved_ = true;
    try {
      SaveWindowBounds(settingsPath_, kBoundsSection, kBoundsKey, this);
    } catch (const std::exception&) {
    }
  }
  QDialog::done(result);
}

void TQualityForm::CompareClick() {
  RenderSettings st;
  st.OutputWidth = SpinWidth1->Value();
  const double natW = double(plan_.Cols) * std::max(mosaic_.PropX, 1);
  const double natH = double(plan_.Rows) * std::max(mosaic_.PropY, 1);
  st.OutputHeight = std::max(plan_.Rows, RoundHalfEven(st.OutputWidth / natW * natH));
  RenderCallbacks cb;
  cb.ProcessMessages = [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
  BtnCompare->setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  TRenderFidelity f;
  try {
    f = MeasureRenderFidelity(RenderSourceFromProject(mosaic_, plan_), st, cb);
  } catch (const std::exception& e) {
    QApplication::restoreOverrideCursor();
    BtnCompare->setEnabled(true);
    Prompts().Error(FromCore(e.what()), windowTitle());
    return;
  }
  QApplication::restoreOverrideCursor();
  BtnCompare->setEnabled(true);
  LabelPsnr->setText(std::isinf(f.Psnr) ? QString("identical") : QString::number(f.Psnr, 'f', 2) + " dB");
  LabelSsim->setText(QString::number(f.Ssim, 'f', 4));
  LabelCellError->setText(QString::number(f.CellMeanError, 'f', 2));
  LabelPsnr->setToolTip(QString("Rendered at %1 x %2 pixels").arg(f.Width).arg(f.Height));
}

void TQualityForm::SaveMapClick() {
  const QString file = Prompts().SaveFile({"Save heat map", FromCore(LastPathFolder(settingsPath_, kLastPathMosaic)),
                                           "PNG picture (*.png)", "png", "heatmap.png"});
  if (file.isEmpty()) return;
  const std::string name = file.toStdString();
  RememberLastPath(settingsPath_, kLastPathMosaic, name);
  try {
    SavePngFile(map_, name);
  } catch (const std::exception& e) {
    Prompts().Error(FromCore(e.what()), windowTitle());
  }
}

}  // namespace qv
