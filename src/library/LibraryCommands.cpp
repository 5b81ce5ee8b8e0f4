#include "library/LibraryCommands.h"

#include "library/LibraryInspector.h"
#include "library/Q2BaseDlg.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/MosaicView.h"

namespace qv {

void NewLibraryCommand(TForm1& form) {
  {
    TQ2NewBaseForm dialog(form.SettingsPath(), &form, &form);
    dialog.exec();
  }
  form.ShowStatus();
  form.SetButtonsOnOff();
}

void LibraryInspectorCommand(TForm1& form, const std::string& searchFileName, bool showAsMosaic) {
  if (!form.QVLib1.TableIsOpen() || form.MosaicRunning()) return;
  form.QVLib1.ClearOrder();
  {
    TLibrayMosaic inspector(form);
    inspector.ShowLibInfo();
    inspector.SetTileRows();
    inspector.SearchFileName = searchFileName;
    inspector.exec();
  }
  form.QVLib1.ClearOrder();
  form.ShowStatus();
  form.SetButtonsOnOff();
  if (showAsMosaic) form.MosaicView().ViewTarget();
}

void InstallLibraryCommands(TForm1& form) {
  TMainCommand newLibrary;
  newLibrary.Name = "Newlibrary1";
  newLibrary.Caption = "New library...";
  newLibrary.Glyph = "newlibrary";
  newLibrary.Run = [&form] { NewLibraryCommand(form); };
  newLibrary.Button = "SpeedButton1";
  form.AddCommand(TMenuPlace::NewLibrary, newLibrary);

  auto libraryReady = [&form] { return form.QVLib1.TableIsOpen(); };
  TMainCommand inspector;
  inspector.Name = "Libraryinspector1";
  inspector.Caption = "Library inspector...";
  inspector.Glyph = "openlibrary";
  inspector.Run = [&form] { LibraryInspectorCommand(form); };
  inspector.Enabled = libraryReady;
  form.AddCommand(TMenuPlace::EditLibrary, inspector);

  TMainCommand asMosaic;
  asMosaic.Name = "Showlibraryasmosaic1";
  asMosaic.Caption = "Show library as mosaic...";
  asMosaic.Run = [&form] { LibraryInspectorCommand(form, {}, true); };
  asMosaic.Enabled = libraryReady;
  form.AddCommand(TMenuPlace::EditLibrary, asMosaic);

  // The grid pop-up's "Find this tile in the Library Inspector".
  form.FindTileInLibraryInspector = [&form](const std::string& tileFileName) {
    LibraryInspectorCommand(form, tileFileName);
  };
}

}  // namespace qv
