#include "mainwindow/HelpWindow.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QPointer>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "mainwindow/WindowBounds.h"

namespace qv {
namespace {

constexpr char kContextProperty[] = "quivaraHelpContext";

// Opens the topic of the focused window's context when F1 is pressed.
class THelpKeyFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() != QEvent::KeyPress || static_cast<QKeyEvent*>(e)->key() != Qt::Key_F1 ||
        static_cast<QKeyEvent*>(e)->modifiers() != Qt::NoModifier)
      return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w) return false;
    // Key events travel up the parents; answer once, for the widget that got it first.
    if (w != QApplication::focusWidget() && w != QApplication::activePopupWidget() &&
        w != QApplication::activeModalWidget() && w != QApplication::activeWindow())
      return false;
    int context = HelpContextOf(w);
    if (context == 0) return false;
    ShowHelpTopic(context);
    return true;
  }
};

}  // namespace

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("HelpWindow");
  setWindowTitle("Quivara Help");
  browser_ = new QTextBrowser(this);
  browser_->setObjectName("HelpBrowser");
  browser_->setOpenExternalLinks(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(browser_);
  ResizeToContent(this, QSize(640, 560));
}

void THelpWindow::ShowUrl(const QUrl& url) {
  browser_->setSource(url);
  show();
  raise();
  activateWindow();
}

QUrl THelpWindow::CurrentUrl() const { return browser_->source(); }

THelpWindow* HelpWindow() {
  static QPointer<THelpWindow> window;
  if (!window) window = new THelpWindow();
  return window;
}

QUrl HelpContentsUrl() { return QUrl("qrc:/help/index.html"); }

QUrl HelpTopicUrl(int context) {
  QString page = QString(":/help/topic%1.html").arg(context);
  if (!QFile::exists(page)) return HelpContentsUrl();
  return QUrl("qrc" + page);
}

void ShowHelpContents() { HelpWindow()->ShowUrl(HelpContentsUrl()); }
void ShowHelpTopic(int context) { HelpWindow()->ShowUrl(HelpTopicUrl(context)); }

void SetHelpContext(QWidget* w, int context) { w->setProperty(kContextProperty, context); }

int HelpContextOf(const QWidget* w) {
  for (; w; w = w->parentWidget()) {
    QVariant v = w->property(kContextProperty);
    if (v.isValid() && v.toInt() != 0) return v.toInt();
  }
  return 0;
}

void InstallHelpKey() {
  static QPointer<THelpKeyFilter> filter;
  if (filter || !qApp) return;
  filter = new THelpKeyFilter(qApp);
  qApp->installEventFilter(filter);
}

}  // namespace qv
