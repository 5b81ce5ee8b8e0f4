#pragma once
// The program's help: HTML pages compiled in as resources (":/help/index.html" the contents,
// ":/help/topic<N>.html" the topic of help context N), shown in one help window.
//
// Windows mark themselves with SetHelpContext; F1 pressed anywhere in such a window (also in
// an open pop-up menu that carries a context) opens its topic. A context without a page of
// its own shows the contents.
//
// Beside the page the window lists the pages in the contents' order ("Contents"), their
// titles and headings in alphabetical order with a filter ("Index"), and the pages that hold
// every word of a search ("Search", the words marked on the page); one click on an entry
// opens its page. Above the page, "Back" and "Forward" go through the pages read and
// "Contents" opens the contents page.
#include <QList>
#include <QString>
#include <QStringList>
#include <QTextEdit>
#include <QUrl>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTextBrowser;

namespace qv {

// One bundled page: its address, title, headings (h1, h2) and its text without markup.
struct THelpPage {
  QUrl Url;
  QString Title;
  QStringList Headings;
  QString Text;
};
// Every bundled page, the contents page first, then in the order the contents link them.
const QList<THelpPage>& HelpPages();
// The pages holding every word of query (case ignored), most occurrences first; none for an
// empty query.
QList<QUrl> SearchHelp(const QString& query);
// One entry of the index: a page title or a heading, and the page it leads to.
struct THelpIndexEntry {
  QString Text;
  QUrl Url;
};
// Titles and headings of every page, sorted without regard to case.
QList<THelpIndexEntry> HelpIndex();

class THelpWindow : public QWidget {
  Q_OBJECT
 public:
  explicit THelpWindow(QWidget* parent = nullptr);
  // Shows url; opened while a modal window is up, the help window joins that window so that
  // it can be used beside it.
  void ShowUrl(const QUrl& url);
  QUrl CurrentUrl() const;
  // The words of a search, marked on the page a search result opened.
  QList<QTextEdit::ExtraSelection> MarkedWords() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void JoinWindow(QWidget* modal);
  // Marks every occurrence of the query's words on the page and shows the first.
  void MarkWords(const QString& query);
  void FillIndex(const QString& filter);
  void FillSearch(const QString& query);
  void OpenItem(const QListWidgetItem* item);

  QTextBrowser* browser_;       // "HelpBrowser"
  QListWidget* contents_;       // "HelpContents"
  QLineEdit* indexFilter_;      // "HelpIndexFilter"
  QListWidget* index_;          // "HelpIndex"
  QLineEdit* searchEdit_;       // "HelpSearchEdit"
  QListWidget* searchResults_;  // "HelpSearchResults"
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
// The context F1 opens for w: HelpContextOf(w), except that in a window whose tab pages or
// stacked pages carry contexts of their own, a widget outside the pages (a button below them)
// answers with the page in front.
int HelpContextInFront(const QWidget* w);
// Installs the application-wide F1 handler (once; later calls do nothing).
void InstallHelpKey();

}  // namespace qv
