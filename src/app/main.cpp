// quivara: the desktop program.
//
//   quivara [--view source|target|difference|enhance] [--zoom N | --fit] [--size WxH]
//           [--screenshot OUT.png] [FILE.qvp | FILE.qv2 ...]
//
// File names on the command line are opened as the recent-file menus open them. --view,
// --zoom and --fit choose how the grid shows once the window has come up; --size gives the
// window's size. With --screenshot the program grabs its main window once it has come up,
// writes it as a PNG picture and quits.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <exception>
#include <memory>

#include "app/StartUp.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/MosaicView.h"
#include "mainwindow/Prompts.h"
#include "mainwindow/SplashForm.h"
#include "settings/AppSettings.h"

namespace {

// Errors that reach the event loop are shown in a message box; the program goes on.
class TQuivaraApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject* receiver, QEvent* e) override {
    try {
      return QApplication::notify(receiver, e);
    } catch (const std::exception& ex) {
      qv::ShowException(ex);
    }
    return false;
  }
};

struct TOptions {
  QStringList Files;
  QString Screenshot;
  QString View;
  int Zoom = 0;  // 0: as opened
  bool Fit = false;
  QSize Size;
  bool Ok = true;
};

TOptions ParseOptions(const QStringList& args) {
  TOptions o;
  for (int i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    auto value = [&]() -> QString {
      if (i + 1 >= args.size()) {
        o.Ok = false;
        return QString();
      }
      return args[++i];
    };
    if (a == "--screenshot") {
      o.Screenshot = QFileInfo(value()).absoluteFilePath();
    } else if (a == "--view") {
      o.View = value();
      if (!QStringList({"source", "target", "difference", "enhance"}).contains(o.View)) o.Ok = false;
    } else if (a == "--zoom") {
      o.Zoom = value().toInt();
    } else if (a == "--fit") {
      o.Fit = true;
    } else if (a == "--size") {
      QStringList wh = value().split('x');
      if (wh.size() == 2) o.Size = QSize(wh[0].toInt(), wh[1].toInt());
    } else if (a.startsWith("--")) {
      o.Ok = false;
    } else {
      // Made absolute now: the splash window makes the program's folder the current one.
      o.Files << QFileInfo(a).absoluteFilePath();
    }
  }
  return o;
}

// The view and zoom asked for on the command line.
void ApplyViewOptions(qv::TForm1& form, const TOptions& o) {
  qv::TMosaicView& view = form.MosaicView();
  if (o.View == "source") view.SetView(qv::TGridView::Source);
  if (o.View == "target") view.SetView(qv::TGridView::Target);
  if (o.View == "difference") view.SetView(qv::TGridView::Difference);
  if (o.View == "enhance") view.SetView(qv::TGridView::Enhance);
  // Status panel 2 describes the library in the Source view and the current tile otherwise.
  if (!o.View.isEmpty()) form.ShowStatus();
  if (o.Fit) view.FitToWindow();
  if (o.Zoom > 0) view.SetZoomPosition(o.Zoom);
}

void TakeScreenshot(qv::TForm1& form, const TOptions& o) {
  ApplyViewOptions(form, o);
  QCoreApplication::processEvents();
  form.repaint();
  bool ok = form.grab().save(o.Screenshot, "PNG");
  if (!ok) std::fprintf(stderr, "quivara: cannot write %s\n", qPrintable(o.Screenshot));
  QCoreApplication::exit(ok ? 0 : 1);
}

}  // namespace

int main(int argc, char** argv) {
  TQuivaraApplication app(argc, argv);
  // The desktop entry the windows belong to (the application id on Wayland) and their icon:
  // the installed theme icon, or the drawn logo when the program runs from its build folder.
  QGuiApplication::setDesktopFileName("quivara");
  QApplication::setWindowIcon(QIcon::fromTheme("quivara", QIcon(":/artwork/logo.png")));
  TOptions options = ParseOptions(QCoreApplication::arguments());
  if (!options.Ok) {
    std::fprintf(stderr,
                 "usage: quivara [--view source|target|difference|enhance] [--zoom N | --fit] [--size WxH] "
                 "[--screenshot OUT.png] [FILES...]\n");
    return 2;
  }

  // The splash window comes first: it fixes the program's folder and the settings file.
  auto* splash = new qv::TSplashForm;
  if (options.Screenshot.isEmpty()) splash->ShowAndPaint();
  QApplication::setApplicationName(qv::kApplicationTitle);

  int status = 0;
  {
    std::unique_ptr<qv::TForm1> form = qv::StartMainWindow(
        {splash->SettingsPath(), splash, options.Files, options.Screenshot.isEmpty(), options.Size});
    // After the first layout, which fits an open project to the grid's size.
    QTimer::singleShot(0, form.get(), [f = form.get(), &options] { ApplyViewOptions(*f, options); });
    if (!options.Screenshot.isEmpty())
      QTimer::singleShot(400, form.get(), [f = form.get(), &options] { TakeScreenshot(*f, options); });
    status = app.exec();
  }
  delete splash;
  return status;
}
