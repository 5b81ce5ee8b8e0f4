#pragma once
// The program's help: HTML pages compiled in as resources (":/help/index.html" the contents,
// ":/help/topic<N>.html" the topic of help context N), shown in one help window.
//
// Windows mark themselves with SetHelpContext; F1 pressed anywhere in such a window (also in
// an open pop-up menu that carries a context) opens its topic. A context without a page of
// its own shows the contents.
#include <QUrl>
#include <QWidget>

class QTextBrowser;

namespace qv {

class THelpWindow : public QWidget {
  Q_OBJECT
 public:
  explicit THelpWindow(QWidget* parent = nullptr);
  void ShowUrl(const QUrl& url);
  QUrl CurrentUrl() const;

 private:
  QTextBrowser* browser_;  // "HelpBrowser"
};

// The one help window, created on first use.
THelpWindow* HelpWindow();
void ShowHelpContents();
void ShowHelpTopic(int context);
// The page of a context number, or the contents page when it has none.
QUrl HelpTopicUrl(int context);
QUrl HelpContentsUrl();

// Gives w (and everything inside it) a help context for F1.
void SetHelpContext(QWidget* w, int context);
// The context of w or of its nearest parent that has one; 0 when none.
int HelpContextOf(const QWidget* w);
// Installs the application-wide F1 handler (once; later calls do nothing).
void InstallHelpKey();

}  // namespace qv
