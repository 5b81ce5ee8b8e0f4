// TOutputSetup: "Save as", the questions before a save, the writer run off the
// user-interface thread and the question to open the saved picture.
#include <QCheckBox>
#include <QDesktopServices>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>

#include "base/FileUtil.h"
#include "codecs/JpegCodec.h"
#include "engine/QVData.h"
#include "engine/StoredThumbnail.h"
#include "mainwindow/Prompts.h"
#include "output/DirectWriter.h"
#include "output/HtmlExport.h"
#include "output/PosterWriter.h"
#include "output/SequenceExport.h"
#include "output/TextExport.h"
#include "outputui/JpegOptions.h"
#include "outputui/OutputRun.h"
#include "outputui/OutputSetup.h"
#include "outputui/ResizeWarning.h"
#include "outputui/TileNotFoundDlg.h"
#include "settings/AppSettings.h"

namespace qv {

namespace {

bool IsPictureName(const std::string& fileName) {
  const std::string ext = UpperCaseAscii(ExtractFileExt(fileName));
  return ext == ".JPG" || ext == ".BMP" || ext == ".TIF";
}

}  // namespace

void TOutputSetup::BtnSaveAsClick() {
  if (running_) return;
  TFileRequest r;
  r.Title = "Save mosaic as";
  r.Folder = FromCore(LastPathFolder(settingsPath_, kLastPathMosaic));
  r.Filter = FromCore(OutputTypeFilters());
  if (source_.Plan) r.FileName = FromCore(ChangeFileExt(ExtractFileName(source_.Plan->BaseName()), ""));
  QString typeFilter = FromCore(OutputTypeFilter(settings_.FileFormat));
  const QString chosen = Prompts().SaveFileOfType(r, typeFilter);
  if (chosen.isEmpty()) return;
  int type = OutputTypeOfFilter(ToCore(typeFilter));
  if (type == 0) type = settings_.FileFormat;
  settings_.FileFormat = type;
  const std::string fileName = ChangeFileExt(ToCore(chosen), OutputTypeExtension(type));
  RememberLastPath(settingsPath_, kLastPathMosaic, fileName);
  SaveAs(FromCore(fileName), type);
}

Bitmap24 TOutputSetup::StoredTilePicture() const {
  // The library's current tile; without an open library, the tile of the mosaic's first cell
  // being saved (its stored picture is a copy of the library's).
  TQVData* table = nullptr;
  int32_t record = 0;
  if (source_.Library && source_.Library->TableIsOpen() && source_.Library->Count > 0) {
    table = source_.Library;
    if (!table->ThumbJpeg.empty() && !table->ThumbBitmap.Empty()) return table->ThumbBitmap;
    record = std::clamp(table->RecNo, 1, table->Count);
  } else if (source_.Mosaic && source_.Mosaic->TableIsOpen() && source_.Plan) {
    table = source_.Mosaic;
    record = source_.Area.FirstRow * source_.Plan->Cols + source_.Area.FirstCol + 1;
    if (record < 1 || record > table->Count) return {};
  } else {
    return {};
  }
  try {
    const std::string jpeg = table->RecordThumbJpeg(record);
    if (jpeg.empty()) return {};
    return DecodeStoredThumbnail(jpeg);
  } catch (const std::exception&) {
    return {};  // an unreadable thumbnail asks nothing
  }
}

void TOutputSetup::SaveAs(const QString& name, int type) {
  if (running_ || !source_.Mosaic || !source_.Plan) return;
  const std::string fileName = ToCore(name);
  const std::string ext = UpperCaseAscii(ExtractFileExt(fileName));

  // JPEG and TIFF files carry the resolution; 0 dpi would make them claim an impossible one.
  if ((ext == ".JPG" || (ext == ".TIF" && type == kTypeTiff)) && settings_.Resolution < 1) {
    Prompts().Error("Set a resolution of at least 1 dpi to save a JPEG or TIFF picture.", AppTitle);
    return;
  }
  if (ext == ".JPG") {
    const int q = Tjpegoptions::AskJpegQuality(settingsPath_, this);
    if (q < 0) return;
    jpegQuality_ = q;
  }
  if ((ext == ".JPG" || ext == ".BMP" || ext == ".TIF") && settings_.UseThumb) {
    const Bitmap24 thumb = StoredTilePicture();
    if (!thumb.Empty() && ThumbsTooSmall(settings_, grid_, thumb.Width(), thumb.Height())) {
      const auto answer = TResizeWarning::AskResize(thumb, settings_.OutputWidth / std::max(grid_.Cols, 1),
                                                    settings_.OutputHeight / std::max(grid_.Rows, 1), this);
      if (answer == TResizeWarning::kCancel) return;
      if (answer == TResizeWarning::kUseOriginals) ChkUseThumb->setChecked(false);
    }
  }

  if (source_.StopRequested) source_.StopRequested->store(false);
  const RenderSettings settings = CurrentRenderSettings();
  WriteOutcome outcome;
  bool failed = false;
  SetRunning(true);
  try {
    outcome = RunWriter(fileName, type, settings);
  } catch (const std::exception& e) {
    failed = true;
    SetStatus(QString());
    SetRunning(false);
    Prompts().Error("The mosaic could not be saved to:\r" + name + "\r" + QString::fromUtf8(e.what()), AppTitle);
  }
  if (failed) return;
  SetRunning(false);
  if (!outcome.Message.empty()) SetStatus(FromCore(outcome.Message));

  if (!outcome.Stopped && IsPictureName(fileName) && settings_.OpenAfterSave && FileExists(fileName)) {
    TMessageRequest q;
    q.Text = "The mosaic was saved to:\r" + name +
             "\rDo you want to open the saved mosaic image\rwith your default view/edit application?";
    q.Caption = AppTitle;
    q.Icon = TPromptIcon::Question;
    q.Buttons = pbYes | pbNo;
    q.Default = pbNo;
    if (Prompts().Message(q) == pbYes) QDesktopServices::openUrl(QUrl::fromLocalFile(name));
  }
}

void TOutputSetup::SetRunning(bool running) {
  running_ = running;
  BtnStop->setEnabled(running);
  BtnClose->setEnabled(!running);
  BtnSaveAs->setEnabled(!running);
  if (running) {
    ProgressBar1->setRange(0, std::max(source_.Area.Count(), 1));
    ProgressBar1->setValue(0);
    ProgressBar1->show();
  } else {
    ProgressBar1->hide();
  }
  if (source_.OnRunning) source_.OnRunning(running);
}

WriteOutcome TOutputSetup::RunWriter(const std::string& fileName, int type, const RenderSettings& settings) {
  const RenderSource src = RenderSourceFromProject(*source_.Mosaic, *source_.Plan);
  const RenderArea area = source_.Area;
  const bool direct = settings_.DirectToDisk;
  auto job = [&](const RenderCallbacks& cb) -> WriteOutcome {
    switch (type) {
      case kTypeTiff:
        return direct ? SaveTiff(fileName, DiskFormat::Tiff, src, settings, area, cb)
                      : SavePoster(fileName, src, settings, area, cb);
      case kTypeBmp:
        return direct ? SaveTiff(fileName, DiskFormat::Bmp, src, settings, area, cb)
                      : SavePoster(fileName, src, settings, area, cb);
      case kTypeText:
        return SaveText(fileName, src, area, cb);
      case kTypeSequence:
        return SaveSequence(fileName, src, settings, area, cb);
      case kTypeHtml:
        return SaveHTML(fileName, src, settings, area, cb);
      default:
        return SavePoster(fileName, src, settings, area, cb);
    }
  };
  TOutputRunView view;
  view.Progress = [this](int64_t done, int64_t total) {
    ProgressBar1->setRange(0, int(std::min<int64_t>(total, INT32_MAX)));
    ProgressBar1->setValue(int(std::min<int64_t>(done, INT32_MAX)));
  };
  view.Status = [this](const QString& text) { SetStatus(text); };
  view.AskTileNotFound = [this](const std::string& file, bool offerSource) {
    return TTileNotFoundDlg::AskTileNotFound(file, offerSource, this);
  };
  return RunOffUiThread(job, source_.StopRequested, view);
}

}  // namespace qv
