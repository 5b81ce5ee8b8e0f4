#include "library/LibraryCommands.h"

#include <QAction>
#include <QMenu>
#include <QRadioButton>
#include <QToolButton>

#include "library/LibraryInspector.h"
#include "library/Q2BaseDlg.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/MosaicView.h"
#include "mainwindow/Resources.h"
#include "settings/AppSettings.h"

namespace qv {

void NewLibraryCommand(TForm1& form) {
  {
    TQ2NewBaseForm dialog(&form, &form);
    dialog.exec();
  }
  form.ShowStatus();
  form.SetButtonsOnOff();
}

void LibraryInspectorCommand(TForm1& form, const std::string& searchFileName, bool showAsMosaic) {
  if (!form.QVLib1.TableIsOpen() || MosaicRunning) return;
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
  if (showAsMosaic) {
    form.RBTarget1->setChecked(true);
    form.MosaicView1->ViewTarget();
  }
}

void InstallLibraryCommands(TForm1& form) {
  auto guarded = [&form](QAction* a, std::function<void()> command) {
    a->connect(a, &QAction::triggered, &form, [&form, command] { form.Guarded(command); });
  };
  // File: "New library..." first, then a separator.
  auto* newLibrary = new QAction(GlyphIcon("newlibrary"), "New library...", &form);
  newLibrary->setObjectName("Newlibrary1");
  QAction* first = form.File1->actions().isEmpty() ? nullptr : form.File1->actions().first();
  form.File1->insertAction(first, newLibrary);
  form.File1->insertSeparator(first);
  guarded(newLibrary, [&form] { NewLibraryCommand(form); });
  form.SpeedButton1->connect(form.SpeedButton1, &QToolButton::clicked, &form,
                             [&form] { form.Guarded([&form] { NewLibraryCommand(form); }); });

  // Edit: the inspector's two entries after a separator, before "Preferences..." when the
  // menu has it.
  auto* inspector = new QAction(GlyphIcon("openlibrary"), "Library inspector...", &form);
  inspector->setObjectName("Libraryinspector1");
  auto* asMosaic = new QAction("Show library as mosaic...", &form);
  asMosaic->setObjectName("Showlibraryasmosaic1");
  QAction* before = nullptr;
  for (QAction* a : form.Edit1->actions())
    if (a->objectName() == "Preferences1") before = a;
  if (!form.Edit1->actions().isEmpty()) form.Edit1->insertSeparator(before);
  form.Edit1->insertAction(before, inspector);
  form.Edit1->insertAction(before, asMosaic);
  if (before) form.Edit1->insertSeparator(before);
  form.Edit1->menuAction()->setVisible(true);
  guarded(inspector, [&form] { LibraryInspectorCommand(form); });
  guarded(asMosaic, [&form] { LibraryInspectorCommand(form, {}, true); });

  // Enabling rules, applied as the menus open (and so for their shortcuts).
  form.File1->connect(form.File1, &QMenu::aboutToShow, &form, [newLibrary] {
    if (!MosaicRunning) newLibrary->setEnabled(true);
  });
  form.Edit1->connect(form.Edit1, &QMenu::aboutToShow, &form, [&form, inspector, asMosaic] {
    const bool ready = form.QVLib1.TableIsOpen() && !MosaicRunning;
    inspector->setEnabled(ready);
    asMosaic->setEnabled(ready);
  });
}

}  // namespace qv
