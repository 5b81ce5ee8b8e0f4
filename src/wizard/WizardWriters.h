#pragma once
// The wizard's writers. They render the main window's open project like the output setup's
// writers do, with these differences: the settings come from the wizard (no borders, no
// grid, DetailedBlend off), the area is the grid's selection only when "Save only selected
// area" is on, the progress bar is the wizard's, the texts ("Saving...", "Saved to file ...",
// "Procedure cancelled by user") go to status panel 1 of the main window, the tile-not-found
// question hides "Auto replace with source" and asks about empty cells too when the tiles
// come from their files, and the poster's JPEG keeps the encoder's default density.
//
// The writer runs off the window thread; these return when it has ended. Errors of the
// writer are raised here.
#include "models/WizardModel.h"
#include "output/DirectWriter.h"
#include "output/WriterCommon.h"

class QProgressBar;
class QWidget;

namespace qv {

class TForm1;

// The in-memory poster: ".jpg", and ".bmp" or ".tif" without "Write image file direct to
// disk (no RAM).".
WriteOutcome SavePosterWizard(TForm1& form, const TWizardSaveParams& params, QProgressBar* bar, QWidget* parent);
// The direct-to-disk writer, BMP or TIFF form.
WriteOutcome SaveTiffWizard(TForm1& form, const TWizardSaveParams& params, DiskFormat format, QProgressBar* bar,
                            QWidget* parent);

}  // namespace qv
