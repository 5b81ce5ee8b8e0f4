#pragma once
// TEnCropImage: the crop view of the source image setup. It keeps the picture as loaded
// (OriginalImg) beside the picture it shows (which the picture correction replaces), and
// takes pictures from the clipboard and from a scanner.
#include "controls/CropImage.h"

namespace qv {

class TEnCropImage : public TCropImage {
  Q_OBJECT
 public:
  // The chosen scanner is kept in the settings file settingsPath.
  explicit TEnCropImage(std::string settingsPath, QWidget* parent = nullptr);

  // The picture as loaded from the file, the clipboard or the scanner.
  TPicturePtr OriginalImg() const { return original_; }

  // Loads the file into OriginalImg and shows it (see TCropImage).
  void SetPictureFileName(const std::string& fileName) override;
  // A new picture: OriginalImg and the shown picture, laid out.
  void TakePicture(TPicturePtr picture, const std::string& fileName = {});

  // When the clipboard holds a picture: the view takes it, the file name becomes empty,
  // Relayout, true. Otherwise false and nothing changes.
  bool PasteFromClipboard();
  // Scans one picture from the chosen scanner (progress and "Cancel" shown meanwhile): the
  // view takes it without a file name, Relayout, true. No scanner, a failed or a cancelled
  // scan: false and nothing changes (a failure is reported to the user).
  bool Acquire();
  // Lists the scanners and lets the user choose one; the choice is kept in the settings.
  void SelectScannerSource();

 private:
  TPicturePtr original_;
  const std::string settingsPath_;
};

}  // namespace qv
