#pragma once
// The main window's source picture commands: "Open source image..." (with the toolbar
// button "Open image"), "Source image" (View menu, Ctrl+I) and the "Recent source images"
// sub-menu, all going to the source image setup window, which is created here once and
// lives as long as the main window.
namespace qv {

class TForm1;
class TSrcSetup;

// Creates the source image setup window for the main window and puts its commands into the
// main window's menus and tool panel. Returns the window.
TSrcSetup* InstallSourceCommands(TForm1& form);

// "Open source image...": the picture dialog, then the window with the picture (only while a
// library is open).
void OpenSourceCommand(TForm1& form);
// "Source image": the window for the open library and project.
void SourceImageCommand(TForm1& form);

}  // namespace qv
