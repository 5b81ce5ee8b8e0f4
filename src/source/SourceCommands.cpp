#include "source/SourceCommands.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

#include "base/Errors.h"
#include "base/FileUtil.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/MosaicView.h"
#include "mainwindow/Prompts.h"
#include "mainwindow/SourcePictureWindow.h"
#include "settings/AppSettings.h"
#include "source/EnCropImage.h"
#include "source/SourceSetupHost.h"
#include "source/SrcSetup.h"

namespace qv {

namespace {

// The link between the main window and its source image setup window, both ways.
class TSourceLink : public QObject, public TSourcePictureWindow, public TSourceSetupHost {
 public:
  explicit TSourceLink(TForm1& form) : QObject(&form), form_(form) {
    Window = new TSrcSetup(*this, &form);
    Window->setObjectName("SrcSetup1");
    SetHelpContext(Window, TSrcSetup::kHelpContext);
  }
  ~TSourceLink() override {
    if (form_.SourceWindow == this) form_.SourceWindow = nullptr;
  }

  // ---- TSourcePictureWindow ----
  void OpenPicture(const std::string& fileName) override {
    Window->SetStretchVisible(form_.StretchAllowed);
    Window->OpenImage(fileName);
    Prompts().ExecDialog(*Window);
  }
  void ProjectOpened() override {
    // The project's source picture, framed as the project has it. A picture that has gone or
    // cannot be read is left out. A project the window has just made from the picture it
    // shows keeps that picture (and any correction of it) instead of reading the file again.
    const TQVData& plan = form_.QVPlan1;
    const std::string& source = plan.SourceFileName;
    if (source.empty() || !FileExists(source)) return;
    if (Window->CropImage()->PictureFileName() != source) {
      try {
        Window->OpenImage(source);
      } catch (const EQuivara&) {
        return;
      }
    }
    Window->SetTiles(plan.Cols, plan.Rows);
    Window->CropImage()->SetCropRect(plan.SourceRect);
    Window->FitImg();
    Window->SetStatusText(FromCore(source));
  }

  // ---- TSourceSetupHost ----
  TQVData& Library() override { return form_.QVLib1; }
  TQVData& Plan() override { return form_.QVPlan1; }
  TQVData& Mosaic() override { return form_.QVMosaic1; }
  void OpenProject(const std::string& fileName) override { form_.OpenQVP(fileName); }
  void SaveProject() override { form_.SaveQVP(); }
  void InsertRecentFile(const std::string& fileName) override { form_.InsertRecentFile(fileName); }
  void MosaicCellsChanged() override { form_.MosaicView1->ProjectOpened(); }
  void ShowHelpTopic(int context) override { qv::ShowHelpTopic(context); }

  TSrcSetup* Window = nullptr;

 private:
  TForm1& form_;
};

TSrcSetup* SetupWindow(TForm1& form) { return form.findChild<TSrcSetup*>("SrcSetup1"); }

// The action after `after` in a menu (null at the end).
QAction* ActionAfter(QMenu* menu, QAction* after) {
  const QList<QAction*> actions = menu->actions();
  const qsizetype i = actions.indexOf(after);
  return i >= 0 && i + 1 < actions.size() ? actions[i + 1] : nullptr;
}

}  // namespace

TSrcSetup* InstallSourceCommands(TForm1& form) {
  auto* link = new TSourceLink(form);
  form.SourceWindow = link;

  auto* open = new QAction("Open source image...", &form);
  open->setObjectName("Opensource1");
  open->setIcon(form.SpeedButton3->icon());
  QObject::connect(open, &QAction::triggered, &form, [&form] { form.Guarded([&form] { OpenSourceCommand(form); }); });
  form.File1->insertAction(ActionAfter(form.File1, form.Openqvp1), open);
  form.File1->insertMenu(ActionAfter(form.File1, form.Recentlibraries1->menuAction()), form.Recentsourceimages1);
  QObject::connect(form.File1, &QMenu::aboutToShow, open, [&form, open] {
    if (MosaicRunning) return;
    open->setEnabled(form.QVLib1.TableIsOpen());
    form.Recentsourceimages1->menuAction()->setEnabled(!form.Recentsourceimages1->isEmpty());
  });
  open->setEnabled(form.QVLib1.TableIsOpen());

  form.View1->addSeparator();
  auto* source = new QAction("Source image", &form);
  source->setObjectName("Sourceimage1");
  source->setIcon(form.SpeedButton3->icon());
  source->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
  QObject::connect(source, &QAction::triggered, &form,
                   [&form] { form.Guarded([&form] { SourceImageCommand(form); }); });
  form.View1->addAction(source);

  form.SpeedButton3->show();
  QObject::connect(form.SpeedButton3, &QToolButton::clicked, &form,
                   [&form] { form.Guarded([&form] { OpenSourceCommand(form); }); });
  return link->Window;
}

void OpenSourceCommand(TForm1& form) {
  if (!form.QVLib1.TableIsOpen()) return;
  TSrcSetup* window = SetupWindow(form);
  const std::string name = window->ChoosePicture();
  if (name.empty()) return;
  form.OpenPictureByName(name);
  RememberLastPath(SettingsPath, kLastPathSource, name);
  form.ShowStatus();
  form.SetButtonsOnOff();
}

void SourceImageCommand(TForm1& form) {
  if (!form.QVLib1.TableIsOpen()) throw EQuivara("Please open library first!");
  TSrcSetup* window = SetupWindow(form);
  TEnCropImage* crop = window->CropImage();
  window->SetGridChecked(crop->ShowCells());
  window->SetStretchVisible(form.StretchAllowed);
  if (form.QVPlan1.TableIsOpen()) {
    // The project's grid and its part of the picture, when the picture is in the window.
    if (crop->HasPicture()) {
      window->SetTiles(form.QVPlan1.Cols, form.QVPlan1.Rows);
      crop->SetCropRect(form.QVPlan1.SourceRect);
      window->FitImg();
    }
  } else {
    crop->SetScale(window->XTiles() * form.QVLib1.PropX, window->YTiles() * form.QVLib1.PropY);
    if (crop->HasPicture()) window->FitImg();
  }
  Prompts().ExecDialog(*window);
  form.ShowStatus();
  form.SetButtonsOnOff();
}

}  // namespace qv
