#pragma once
// "Show file": the picture of a library tile with the part the tile was cut from framed, or
// the stored thumbnail when the picture file is gone.
#include <string>

class QWidget;

namespace qv {

class TQVData;

// Caption, label and frame of the preview of a record (Qt-free, for the window and tests).
struct TTilePreviewTexts {
  bool FileFound = false;
  std::string Caption;  // name + " (" W "x" H ")", or the stored-thumbnail caption
  std::string Label;    // the full path, + " (not found!)" when missing
};
TTilePreviewTexts TilePreviewTexts(const std::string& fileName, int picWidth, int picHeight, bool fileFound,
                                   int thumbWidth, int thumbHeight);

// Shows the preview of the library's current record modally; its bounds live under
// "LayOut"/"TilePreview".
void ShowTilePreview(const TQVData& library, QWidget* parent);

}  // namespace qv
