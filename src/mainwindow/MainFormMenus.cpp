// TForm1: the menus, their actions and opening handlers, the commands other windows add, and
// the help commands.
#include <QAction>
#include <QDesktopServices>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>
#include <QUrl>

#include "base/Product.h"
#include "controls/DrawGrid.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/MosaicView.h"
#include "mainwindow/Resources.h"
#include "mainwindow/SplashForm.h"
#include "settings/AppSettings.h"

namespace qv {

QAction* TForm1::MakeAction(QMenu* menu, const char* name, const QString& caption, const QString& glyph,
                            void (TForm1::*handler)()) {
  auto* a = new QAction(caption, this);
  a->setObjectName(name);
  if (!glyph.isEmpty()) a->setIcon(GlyphIcon(glyph));
  if (handler)
    connect(a, &QAction::triggered, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
  menu->addAction(a);
  return a;
}

void TForm1::MarkPlace(QMenu* menu, TMenuPlace place) {
  auto* mark = new QAction(this);
  mark->setVisible(false);
  menu->addAction(mark);
  places_[place] = {menu, mark};
}

void TForm1::CreateMenus() {
  CreateFileMenu();
  CreateEditMenu();
  CreateMosaicMenu();
  CreateViewMenu();
  CreateHelpMenu();
  ConnectToolButtons();
}

// The menus keep a mark at every place where a command of another window goes; the
// separators around a place that is still empty collapse.

void TForm1::CreateFileMenu() {
  File1 = menuBar()->addMenu("&File");
  File1->setObjectName("File1");
  connect(File1, &QMenu::aboutToShow, this, &TForm1::File1Click);
  MarkPlace(File1, TMenuPlace::NewLibrary);
  File1->addSeparator();
  Openlibrary1 = MakeAction(File1, "Openlibrary1", "Open library...", "openlibrary", &TForm1::Openlibrary1Click);
  Openqvp1 = MakeAction(File1, "Openqvp1", "Open project...", "openproject", &TForm1::Openqvp1Click);
  MarkPlace(File1, TMenuPlace::OpenSourceImage);
  File1->addSeparator();
  Revertproject1 = MakeAction(File1, "Revertproject1", "Revert project", "revert", &TForm1::Revertproject1Click);
  Closeproject1 = MakeAction(File1, "Closeproject1", "Close project", "closeproject", &TForm1::Closeproject1Click);
  File1->addSeparator();
  Recentprojects1 = File1->addMenu(GlyphIcon("recent"), "Recent projects");
  Recentprojects1->setObjectName("Recentprojects1");
  Recentlibraries1 = File1->addMenu(GlyphIcon("recent"), "Recent libraries");
  Recentlibraries1->setObjectName("Recentlibraries1");
  Recentsourceimages1 = new QMenu("Recent source images", this);
  Recentsourceimages1->setObjectName("Recentsourceimages1");
  Recentsourceimages1->setIcon(GlyphIcon("recent"));
  MarkPlace(File1, TMenuPlace::RecentSourceImages);
  File1->addSeparator();
  SaveQVP1 = MakeAction(File1, "SaveQVP1", "Save project", "saveproject", &TForm1::SaveQVP1Click);
  SaveQVP1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  SaveQVPas1 = MakeAction(File1, "SaveQVPas1", "Save project as...", "saveprojectas", &TForm1::SaveQVPas1Click);
  SaveQVPas1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  File1->addSeparator();
  MarkPlace(File1, TMenuPlace::SaveMosaic);
  Savestatistic1 = MakeAction(File1, "Savestatistic1", "Save statistic...", "statistic", &TForm1::Savestatistic1Click);
  File1->addSeparator();
  Exit1 = MakeAction(File1, "Exit1", "Exit", "exit", nullptr);
  connect(Exit1, &QAction::triggered, this, &TForm1::close);
}

void TForm1::CreateEditMenu() {
  Edit1 = menuBar()->addMenu("&Edit");
  Edit1->setObjectName("Edit1");
  connect(Edit1, &QMenu::aboutToShow, this, &TForm1::Edit1Click);
  MarkPlace(Edit1, TMenuPlace::EditCells);
  Edit1->addSeparator();
  MarkPlace(Edit1, TMenuPlace::EditLibrary);
  Edit1->addSeparator();
  MarkPlace(Edit1, TMenuPlace::EditPreferences);
  CreateEditCommands();
  InitPopUpMenu();
}

void TForm1::CreateMosaicMenu() {
  Run1 = menuBar()->addMenu("&Mosaic");
  Run1->setObjectName("Run1");
  connect(Run1, &QMenu::aboutToShow, this, &TForm1::Run1Click);
  MarkPlace(Run1, TMenuPlace::Wizard);
  Run1->addSeparator();
  MarkPlace(Run1, TMenuPlace::ManualTiles);
  Run1->addSeparator();
  Mosaicall1 = MakeAction(Run1, "Mosaicall1", "Mosaic all", "mosaicall", &TForm1::Mosaicall1Click);
  Randommosaic1 = MakeAction(Run1, "Randommosaic1", "Random mosaic", "randommosaic", &TForm1::Randommosaic1Click);
  Smartmosaic1 = MakeAction(Run1, "Smartmosaic1", "Smart mosaic", "smartmosaic", &TForm1::Smartmosaic1Click);
  Optimisemosaic1 = MakeAction(Run1, "Optimisemosaic1", "Optimise mosaic", "", &TForm1::Optimisemosaic1Click);
  Optimisemosaicforcolour1 = MakeAction(Run1, "Optimisemosaicforcolour1", "Optimise mosaic for colour", "",
                                        &TForm1::Optimisemosaicforcolour1Click);
  Mosaicquality1 = MakeAction(Run1, "Mosaicquality1", "Mosaic quality...", "", &TForm1::Mosaicquality1Click);
  Stopmosaicprocess1 =
      MakeAction(Run1, "Stopmosaicprocess1", "Stop mosaic process", "stop", &TForm1::Stopmosaicprocess1Click);
  Stopmosaicprocess1->setShortcut(QKeySequence(Qt::Key_Escape));
  Stopmosaicprocess1->setEnabled(false);
}

void TForm1::CreateViewMenu() {
  View1 = menuBar()->addMenu("&View");
  View1->setObjectName("View1");
  connect(View1, &QMenu::aboutToShow, this, &TForm1::View1Click);
  auto viewAction = [this](const char* name, const QString& caption, const QString& glyph, QKeySequence key,
                           void (TMosaicView::*slot)()) {
    QAction* a = MakeAction(View1, name, caption, glyph, nullptr);
    a->setShortcut(key);
    connect(a, &QAction::triggered, MosaicView1, slot);
    return a;
  };
  Hidedetails1 = viewAction("Hidedetails1", "Hide details", "hidedetails", QKeySequence(Qt::CTRL | Qt::Key_F7),
                            &TMosaicView::HideDetails);
  Showdetails1 = viewAction("Showdetails1", "Show details", "showdetails", QKeySequence(Qt::CTRL | Qt::Key_F8),
                            &TMosaicView::ShowDetails);
  View1->addSeparator();
  Fastview1 =
      viewAction("Fastview1", "Fast view", "fastview", QKeySequence(Qt::CTRL | Qt::Key_1), &TMosaicView::FastView);
  N1001 = viewAction("N1001", "100%", "view100", QKeySequence(Qt::CTRL | Qt::Key_9), &TMosaicView::View100);
  Fittowindow1 = viewAction("Fittowindow1", "Fit to window", "fitwindow", QKeySequence(Qt::CTRL | Qt::Key_0),
                            &TMosaicView::FitToWindow);
  Fittoselection1 = viewAction("Fittoselection1", "Fit to selection", "fitselection",
                               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_0), &TMosaicView::FitToSelection);
  View1->addSeparator();
  // Ctrl with "=" (the plus key of the main keyboard) and Ctrl with "-".
  ZoomIn1 = viewAction("ZoomIn1", "Zoom In", "zoomin", QKeySequence(Qt::CTRL | Qt::Key_Equal), &TMosaicView::ZoomIn);
  ZoomOut1 =
      viewAction("ZoomOut1", "Zoom Out", "zoomout", QKeySequence(Qt::CTRL | Qt::Key_Minus), &TMosaicView::ZoomOut);
  View1->addSeparator();
  ViewSource1 = viewAction("ViewSource1", "View Source", "viewsource", QKeySequence(Qt::CTRL | Qt::Key_2),
                           &TMosaicView::ViewSource);
  ViewTarget1 = viewAction("ViewTarget1", "View Target", "viewtarget", QKeySequence(Qt::CTRL | Qt::Key_3),
                           &TMosaicView::ViewTarget);
  ViewEnhance1 = viewAction("ViewEnhance1", "View Enhance", "viewenhance", QKeySequence(Qt::CTRL | Qt::Key_4),
                            &TMosaicView::ViewEnhance);
  View1->addSeparator();
  Showgrid1 = viewAction("Showgrid1", "Show grid", "grid", QKeySequence(Qt::CTRL | Qt::Key_5), &TMosaicView::ShowGrid);
  Hidegrid1 = viewAction("Hidegrid1", "Hide grid", "grid", QKeySequence(), &TMosaicView::HideGrid);
  Hidegrid1->setVisible(false);
  View1->addSeparator();
  MarkPlace(View1, TMenuPlace::SourceImage);
}

void TForm1::CreateHelpMenu() {
  Help1 = menuBar()->addMenu("&Help");
  Help1->setObjectName("Help1");
  Help2 = MakeAction(Help1, "Help2", "Help", "help", &TForm1::Help2Click);
  VisitQuivaraonline1 =
      MakeAction(Help1, "VisitQuivaraonline1", "Visit Quivara online...", "web", &TForm1::VisitQuivaraonline1Click);
  About1 = MakeAction(Help1, "About1", "About...", "about", &TForm1::About1Click);
}

void TForm1::ConnectToolButtons() {
  // The toolbar buttons do what their menu commands do.
  auto click = [this](QToolButton* b, void (TForm1::*handler)()) {
    connect(b, &QToolButton::clicked, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
  };
  click(SpeedButton2, &TForm1::Openlibrary1Click);
  click(SpeedButton4, &TForm1::Openqvp1Click);
  click(SpeedButton5, &TForm1::SaveQVP1Click);
  click(SpeedButton7, &TForm1::SpeedButton7Click);
  click(SpeedButton9, &TForm1::SpeedButton9Click);
  connect(SpeedButton10, &QToolButton::clicked, this, &TForm1::close);
  connect(SpeedButton12, &QToolButton::clicked, MosaicView1, &TMosaicView::FastView);
  connect(SpeedButton13, &QToolButton::clicked, MosaicView1, &TMosaicView::ZoomOut);
  connect(SpeedButton14, &QToolButton::clicked, MosaicView1, &TMosaicView::ZoomIn);
  connect(SpeedButton15, &QToolButton::clicked, MosaicView1, &TMosaicView::View100);
}

// ---- Commands of other windows ----

void TForm1::AddMenuAction(TMenuPlace place, QAction* action) {
  const TPlace& p = places_.at(place);
  QMenu* menu = p.Menu;
  menu->insertAction(p.Mark, action);
  if (menu == Edit1) Edit1->menuAction()->setVisible(true);
}

QAction* TForm1::AddCommand(TMenuPlace place, const TMainCommand& command) {
  auto* a = new QAction(command.Caption, this);
  a->setObjectName(command.Name);
  if (!command.Glyph.isEmpty()) a->setIcon(GlyphIcon(command.Glyph));
  a->setShortcut(command.Shortcut);
  const std::function<void()> run = command.Run;
  connect(a, &QAction::triggered, this, [this, run] {
    if (run) Guarded(run);
  });
  AddMenuAction(place, a);
  addedCommands_.push_back({a, places_.at(place).Menu, command.Enabled});
  if (command.Button) {
    QToolButton* b = Panel1->findChild<QToolButton*>(command.Button);
    if (b) {
      b->show();
      // The button has its own enabling rules (SetButtonsOnOff).
      connect(b, &QToolButton::clicked, this, [this, run] {
        if (run) Guarded(run);
      });
    }
  }
  UpdateMenus();
  return a;
}

void TForm1::ApplyCommandRules(const QMenu* menu) {
  for (const TAddedCommand& c : addedCommands_) {
    if (c.Menu == menu) c.Action->setEnabled(!mosaicRunning_ && (!c.Enabled || c.Enabled()));
  }
}

// ---- Opening handlers: the enabling rules ----

void TForm1::File1Click() {
  if (mosaicRunning_) return;
  Openlibrary1->setEnabled(true);
  Openqvp1->setEnabled(true);
  Revertproject1->setEnabled(QVMosaic1.Modified);
  Closeproject1->setEnabled(QVPlan1.TableIsOpen());
  SaveQVP1->setEnabled(QVMosaic1.Modified);
  SaveQVPas1->setEnabled(QVMosaic1.TableIsOpen());
  Savestatistic1->setEnabled(QVPlan1.TableIsOpen());
  Exit1->setEnabled(true);
  Recentprojects1->menuAction()->setEnabled(!Recentprojects1->isEmpty());
  Recentlibraries1->menuAction()->setEnabled(!Recentlibraries1->isEmpty());
  Recentsourceimages1->menuAction()->setEnabled(!Recentsourceimages1->isEmpty());
  ApplyCommandRules(File1);
}

void TForm1::Edit1Click() {
  UpdateEditCommands();
  ApplyCommandRules(Edit1);
}

void TForm1::Run1Click() {
  bool ready = QVLib1.TableIsOpen() && QVMosaic1.TableIsOpen() && !mosaicRunning_;
  Mosaicall1->setEnabled(ready);
  Randommosaic1->setEnabled(ready);
  Smartmosaic1->setEnabled(ready);
  Optimisemosaic1->setEnabled(ready && QVPlan1.TableIsOpen());
  Optimisemosaicforcolour1->setEnabled(Optimisemosaic1->isEnabled());
  Mosaicquality1->setEnabled(ready && QVPlan1.TableIsOpen());
  Stopmosaicprocess1->setEnabled(mosaicRunning_);
  ApplyCommandRules(Run1);
}

void TForm1::View1Click() {
  bool lines = MosaicView1->GridShown();
  Showgrid1->setVisible(!lines);
  Showgrid1->setShortcut(lines ? QKeySequence() : QKeySequence(Qt::CTRL | Qt::Key_5));
  Hidegrid1->setVisible(lines);
  Hidegrid1->setShortcut(lines ? QKeySequence(Qt::CTRL | Qt::Key_5) : QKeySequence());
  ApplyCommandRules(View1);
}

void TForm1::UpdateMenus() {
  File1Click();
  Edit1Click();
  Run1Click();
  View1Click();
}

void TForm1::SetRenderShortcut(int renderType) {
  QAction* items[3] = {Mosaicall1, Randommosaic1, Smartmosaic1};
  for (int i = 0; i < 3; ++i)
    items[i]->setShortcut(i == renderType ? QKeySequence(Qt::CTRL | Qt::Key_R) : QKeySequence());
}

// ---- Help ----

void TForm1::Help2Click() { ShowHelpContents(); }

void TForm1::VisitQuivaraonline1Click() { QDesktopServices::openUrl(QUrl(kProductUrl)); }

void TForm1::SetSplashForm(TSplashForm* splash) { splash_ = splash; }

void TForm1::About1Click() {
  if (!splash_) splash_ = new TSplashForm(this);
  splash_->ShowAbout();
}

}  // namespace qv
