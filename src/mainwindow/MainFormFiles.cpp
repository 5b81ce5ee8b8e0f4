// TForm1: opening, saving, reverting and closing libraries and projects, the recent-file
// menus and the save question when the window closes.
#include <QAction>
#include <QCloseEvent>
#include <QMenu>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/MosaicView.h"
#include "mainwindow/SourcePictureWindow.h"
#include "settings/AppSettings.h"

namespace qv {

namespace {

constexpr char kSaveQuestion[] = "Project was modified. Save before close?";
constexpr char kProjectFilter[] = "qvp (*.qvp);;qv2 (*.qv2)";
constexpr char kLibraryFilter[] = "qv2 (*.qv2)";
constexpr char kSaveProjectFilter[] = "qvp (*.qvp)";

// The save question: Yes, No or Cancel.
TPromptButton AskSaveBeforeClose() {
  return Prompts().Message({kSaveQuestion, kApplicationTitle, TPromptIcon::Question, pbYes | pbNo | pbCancel, pbYes});
}

}  // namespace

// ---- Projects ----

void TForm1::Openqvp1Click() {
  QString picked = Prompts().OpenFile(
      {"Open project", FromCore(LastPathFolder(settingsPath_, kLastPathProject)), kProjectFilter, {}, {}});
  if (picked.isEmpty()) return;
  std::string name = ToCore(picked);
  RememberLastPath(settingsPath_, kLastPathProject, name);
  if (!ConfirmReplaceProject()) return;
  OpenQVP(name);
  InsertRecentFile(name);
  ShowStatus();
  SetButtonsOnOff();
}

bool TForm1::ConfirmReplaceProject() {
  if (!QVMosaic1.Modified) return true;
  TPromptButton answer = AskSaveBeforeClose();
  if (answer == pbCancel) return false;
  if (answer == pbYes) SaveQVP();
  return true;
}

void TForm1::OpenQVP(const std::string& fileName) {
  if (!QVPlan1.OpenProject(fileName, QVMosaic1)) throw EQuivara("File: " + fileName + " not found.");
  ClearUndo();
  MosaicView1->SetGridSizeFromPlan();
  // The project's own library replaces the open one, without the compatibility questions. A
  // library that cannot be read is reported once the project is open.
  std::string libraryError;
  if (FileExists(QVPlan1.LibraryFileName)) {
    try {
      QVLib1.SetBaseName(QVPlan1.LibraryFileName);
    } catch (const std::exception& e) {
      libraryError = e.what();
    }
  }
  MosaicView1->ProjectOpened();
  if (SourceWindow) SourceWindow->ProjectOpened();
  RememberLastPath(settingsPath_, kLastPathProject, fileName);
  InsertRecentFile(fileName);
  SetButtonsOnOff();
  if (!libraryError.empty()) throw EQuivara(libraryError);
}

void TForm1::SaveQVP() {
  QVMosaic1.CompactSections();
  QVPlan1.SaveProject(QVPlan1.BaseName(), QVMosaic1, QVLib1);
  QVMosaic1.Modified = false;
  QVPlan1.Modified = false;
}

void TForm1::SaveQVP1Click() {
  if (!QVPlan1.TableIsOpen()) return;
  SaveQVP();
  SetButtonsOnOff();
}

void TForm1::SaveQVPas1Click() {
  if (!QVMosaic1.TableIsOpen()) return;
  QString picked = Prompts().SaveFile(
      {"Save project as", FromCore(LastPathFolder(settingsPath_, kLastPathProject)), kSaveProjectFilter, "qvp", {}});
  if (picked.isEmpty()) return;
  std::string name = ToCore(picked);
  RememberLastPath(settingsPath_, kLastPathProject, name);
  // A copy: the open project keeps its own file name and its modified state.
  QVMosaic1.CompactSections();
  QVPlan1.SaveProject(name, QVMosaic1, QVLib1);
}

void TForm1::Revertproject1Click() {
  if (!QVPlan1.TableIsOpen()) return;
  if (QVMosaic1.Modified && Prompts().Message({"Discard all changes and revert to last saved?", kApplicationTitle,
                                               TPromptIcon::Question, pbOK | pbCancel, pbOK}) != pbOK)
    return;
  std::string name = QVPlan1.BaseName();
  // Closing first would lose the project for good when its file has gone meanwhile.
  if (!FileExists(name)) throw EQuivara("File: " + name + " not found.");
  QVPlan1.Close();
  QVMosaic1.Close();
  MosaicView1->ProjectClosed();
  OpenQVP(name);
  ShowStatus();
  SetButtonsOnOff();
}

bool TForm1::CloseProject() {
  if (QVMosaic1.Modified) {
    TPromptButton answer = AskSaveBeforeClose();
    if (answer == pbCancel) return false;
    if (answer == pbYes) SaveQVP();
  }
  QVPlan1.Close();
  QVMosaic1.Close();
  ClearUndo();
  MosaicView1->ProjectClosed();
  ShowStatus();
  return true;
}

void TForm1::Closeproject1Click() {
  CloseProject();
  SetButtonsOnOff();
}

void TForm1::closeEvent(QCloseEvent* e) {
  // A pass in progress ends first: the stop request lets it finish its cell, and the window
  // closes when the pass has cleaned up.
  if (mosaicRunning_) {
    closePending_ = true;
    StopRequested = true;
    QVLib1.StopRequested = true;
    e->ignore();
    return;
  }
  closePending_ = false;
  if (QVMosaic1.Modified) {
    TPromptButton answer = AskSaveBeforeClose();
    if (answer == pbCancel) {
      e->ignore();
      return;
    }
    if (answer == pbYes) {
      try {
        SaveQVP();
      } catch (const std::exception& ex) {
        // The changes are still only in memory: keep the window open.
        ShowException(ex);
        e->ignore();
        return;
      }
    }
  }
  e->accept();
}

// ---- Libraries ----

void TForm1::Openlibrary1Click() {
  QString picked = Prompts().OpenFile(
      {"Open library", FromCore(LastPathFolder(settingsPath_, kLastPathLibrary)), kLibraryFilter, {}, {}});
  if (!picked.isEmpty()) OpenLibraryByName(ToCore(picked));
  SetButtonsOnOff();
}

void TForm1::OpenLibraryFile(const std::string& fileName) {
  QVLib1.SetBaseName(fileName);
  InsertRecentFile(fileName);
  ShowStatus();
  RememberLastPath(settingsPath_, kLastPathLibrary, fileName);
}

bool TForm1::AskCloseForLibrary(const std::string& fileName, const char* reason) {
  std::string text = "Library \r" + fileName + "\r" + reason + "\r Close the current project?\r";
  if (Prompts().Message({FromCore(text), AppTitle, TPromptIcon::Warning, pbOK | pbCancel, pbCancel}) != pbOK)
    return false;
  if (!CloseProject()) return false;
  OpenLibraryFile(fileName);
  SetButtonsOnOff();
  return true;
}

bool TForm1::OpenLibraryByName(const std::string& fileName) {
  int test = QVLib1.TableIsOpen() ? QVLib1.CompareLibraryFile(fileName) : 0;
  if (test == 0 || (test > 0 && !QVPlan1.TableIsOpen())) {
    OpenLibraryFile(fileName);
    return true;
  }
  if (test >= 2) return AskCloseForLibrary(fileName, " has a different tile sampling.");
  if (test == 1 && !preferences_.StretchAllowed)
    return AskCloseForLibrary(fileName, " has a different tile height/width ratio.");
  if (test == 1) {
    std::string text =
        "Library \r" + fileName + "\r has a different tile height/width ratio.\r Stretch library tiles?\r";
    if (Prompts().Message({FromCore(text), AppTitle, TPromptIcon::Question, pbOK | pbCancel, pbOK}) != pbOK)
      return false;
    OpenLibraryFile(fileName);
    SetButtonsOnOff();
    return true;
  }
  ShowMessage("File " + fileName + " is not Quivara base and can't be open.", TPromptIcon::Error);
  return false;
}

// ---- Recent files ----

QMenu* TForm1::RecentMenu(TRecentKind kind) const {
  switch (kind) {
    case TRecentKind::Project:
      return Recentprojects1;
    case TRecentKind::Library:
      return Recentlibraries1;
    case TRecentKind::Image:
      break;
  }
  return Recentsourceimages1;
}

void TForm1::RebuildRecentMenu(TRecentKind kind, const TRecentList& list) {
  QMenu* menu = RecentMenu(kind);
  menu->clear();
  for (const std::string& name : list) {
    if (name.empty()) continue;
    QString caption = FromCore(name);
    // The caption is the file name as it is, without accelerator marks.
    auto* item = menu->addAction(QString(caption).replace('&', "&&"));
    item->setData(caption);
    connect(item, &QAction::triggered, this, [this, name] { Guarded([this, name] { RecentMenuClick(name); }); });
  }
  menu->menuAction()->setEnabled(!menu->isEmpty());
}

void TForm1::InsertRecentFile(const std::string& fileName) {
  TRecentList list;
  if (qv::InsertRecentFile(settingsPath_, fileName, list)) RebuildRecentMenu(RecentKindOf(fileName), list);
}

void TForm1::InitRecentFileMenu() {
  for (TRecentKind kind : {TRecentKind::Project, TRecentKind::Image, TRecentKind::Library})
    RebuildRecentMenu(kind, ReadRecentList(settingsPath_, kind));
}

void TForm1::RecentMenuClick(const std::string& fileName) {
  switch (RecentKindOf(fileName)) {
    case TRecentKind::Project:
      // A project that no longer exists is skipped and stays on its list.
      if (FileExists(fileName) && ConfirmReplaceProject()) {
        OpenQVP(fileName);
        ShowStatus();
      }
      break;
    case TRecentKind::Library:
      if (FileExists(fileName)) {
        OpenLibraryByName(fileName);
        ShowStatus();
        SetButtonsOnOff();
      }
      break;
    case TRecentKind::Image:
      OpenPictureByName(fileName);
      break;
  }
}

// ---- Source pictures ----

void TForm1::OpenPictureByName(const std::string& fileName) {
  if (!QVLib1.TableIsOpen()) throw EQuivara("Please open library first!");
  if (!FileExists(fileName)) throw EQuivara("File: " + fileName + " not found.");
  if (!SourceWindow) return;
  try {
    SourceWindow->OpenPicture(fileName);
  } catch (const EPictureError&) {
    throw EPictureError("Wrong format. File: " + fileName + " can't be open.");
  }
  ShowStatus();
}

}  // namespace qv
