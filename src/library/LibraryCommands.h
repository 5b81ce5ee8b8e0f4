#pragma once
// The main window's library commands: "New library..." (with the toolbar button "Create new
// library"), "Library inspector..." and "Show library as mosaic...". InstallLibraryCommands
// puts them into the main window's menus with their enabling rules.
#include <string>

namespace qv {

class TForm1;

void InstallLibraryCommands(TForm1& form);

// "New library...": the new library dialog, modal; then the main window's status.
void NewLibraryCommand(TForm1& form);
// Opens the library inspector on the main window's library, modal. searchFileName: the tile
// to find once the window is up (the grid pop-up's "Find this tile in the Library
// Inspector"); showAsMosaic: afterwards the main window shows its Target view.
void LibraryInspectorCommand(TForm1& form, const std::string& searchFileName = {}, bool showAsMosaic = false);

}  // namespace qv
