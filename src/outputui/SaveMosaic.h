#pragma once
// "Save mosaic..." of the main window (File menu, the button "Save mosaic image" and the
// grid pop-up's "Save cells from ..."): a preview pass over the cells being saved, then the
// output setup window, modal.
#include <memory>

namespace qv {

class TForm1;
class TOutputSetup;

// The preview pass and the window made ready to show: the area is the grid's selection, or
// the whole grid when one cell is selected; the window gets the previews, the grid, the
// default size and, in the Enhance view, the main window's Blend and Color values. Null when
// no plan is open or the user stopped the pass. The mosaic's ShowThumbs is as before.
std::unique_ptr<TOutputSetup> PrepareOutputSetup(TForm1& form);

// PrepareOutputSetup, then the window shown modally.
void Mosaiclayoutsetup1Click(TForm1& form);

// Puts "Save mosaic..." (Mosaiclayoutsetup1Click) into the main window's File menu, with the
// toolbar button "Save mosaic image".
void InstallSaveMosaic(TForm1& form);

}  // namespace qv
