#pragma once
// The main window's "Manual tiles mode" (Mosaic menu, Ctrl+M, the toolbar button "Manual
// render"), which shows the manual tiles window. The window is created here once and lives as
// long as the main window.
namespace qv {

class TForm1;
class TManualForma;

// Creates the manual tiles window for the main window (which then knows it as ManualWindow)
// and puts its command into the menus and the tool panel. Returns the window.
TManualForma* InstallManualTilesCommands(TForm1& form);

}  // namespace qv
