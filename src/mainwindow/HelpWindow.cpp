#include "mainwindow/HelpWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QRegularExpression>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

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
    int context = HelpContextInFront(w);
    if (context == 0) return false;
    ShowHelpTopic(context);
    return true;
  }
};

QString PlainText(const QString& html) {
  QTextDocument doc;
  doc.setHtml(html);
  return doc.toPlainText();
}

THelpPage ReadPage(const QString& name) {
  THelpPage page;
  page.Url = QUrl("qrc:/help/" + name);
  QFile f(":/help/" + name);
  if (!f.open(QIODevice::ReadOnly)) return page;
  const QString html = QString::fromUtf8(f.readAll());
  static const QRegularExpression title("<title>(.*?)</title>", QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression heading("<h[12][^>]*>(.*?)</h[12]>", QRegularExpression::DotMatchesEverythingOption);
  page.Title = PlainText(title.match(html).captured(1)).simplified();
  for (auto it = heading.globalMatch(html); it.hasNext();)
    page.Headings << PlainText(it.next().captured(1)).simplified();
  page.Text = PlainText(html);
  return page;
}

int Occurrences(const QString& text, const QString& word) { return int(text.count(word, Qt::CaseInsensitive)); }

}  // namespace

const QList<THelpPage>& HelpPages() {
  static const QList<THelpPage> pages = [] {
    QList<THelpPage> all;
    QStringList names = QDir(":/help").entryList({"*.html"}, QDir::Files, QDir::Name);
    // The contents page first, then the pages in the order it links them, then the rest.
    QStringList order{"index.html"};
    QFile index(":/help/index.html");
    if (index.open(QIODevice::ReadOnly)) {
      static const QRegularExpression link("href=\"([^\"#]+\\.html)");
      for (auto it = link.globalMatch(QString::fromUtf8(index.readAll())); it.hasNext();) {
        const QString target = it.next().captured(1);
        if (!order.contains(target)) order << target;
      }
    }
    for (const QString& n : names)
      if (!order.contains(n)) order << n;
    for (const QString& n : order)
      if (names.contains(n)) all << ReadPage(n);
    return all;
  }();
  return pages;
}

QList<QUrl> SearchHelp(const QString& query) {
  const QStringList words = query.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
  if (words.isEmpty()) return {};
  QList<QPair<int, QUrl>> hits;
  for (const THelpPage& page : HelpPages()) {
    int total = 0;
    bool all = true;
    for (const QString& w : words) {
      const int n = Occurrences(page.Text, w);
      if (n == 0) all = false;
      total += n;
    }
    if (all) hits.append({total, page.Url});
  }
  std::stable_sort(hits.begin(), hits.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  QList<QUrl> urls;
  for (const auto& h : hits) urls << h.second;
  return urls;
}

QList<THelpIndexEntry> HelpIndex() {
  QList<THelpIndexEntry> entries;
  for (const THelpPage& page : HelpPages()) {
    entries.append({page.Title, page.Url});
    for (const QString& h : page.Headings)
      if (h != page.Title) entries.append({h + " (" + page.Title + ")", page.Url});
  }
  std::stable_sort(entries.begin(), entries.end(), [](const THelpIndexEntry& a, const THelpIndexEntry& b) {
    return QString::compare(a.Text, b.Text, Qt::CaseInsensitive) < 0;
  });
  return entries;
}

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("HelpWindow");
  setWindowTitle("Quivara Help");
  browser_ = new QTextBrowser(this);
  browser_->setObjectName("HelpBrowser");
  browser_->setOpenExternalLinks(true);

  auto* tabs = new QTabWidget(this);
  tabs->setObjectName("HelpTabs");
  contents_ = new QListWidget(tabs);
  contents_->setObjectName("HelpContents");
  for (const THelpPage& page : HelpPages()) {
    auto* item = new QListWidgetItem(page.Title, contents_);
    item->setData(Qt::UserRole, page.Url);
  }
  tabs->addTab(contents_, "Contents");

  auto* indexPage = new QWidget(tabs);
  indexFilter_ = new QLineEdit(indexPage);
  indexFilter_->setObjectName("HelpIndexFilter");
  indexFilter_->setPlaceholderText("Type a word of the index");
  index_ = new QListWidget(indexPage);
  index_->setObjectName("HelpIndex");
  auto* indexLayout = new QVBoxLayout(indexPage);
  indexLayout->setContentsMargins(2, 2, 2, 2);
  indexLayout->addWidget(indexFilter_);
  indexLayout->addWidget(index_);
  tabs->addTab(indexPage, "Index");

  auto* searchPage = new QWidget(tabs);
  searchEdit_ = new QLineEdit(searchPage);
  searchEdit_->setObjectName("HelpSearchEdit");
  searchEdit_->setPlaceholderText("Words to find");
  searchResults_ = new QListWidget(searchPage);
  searchResults_->setObjectName("HelpSearchResults");
  auto* searchLayout = new QVBoxLayout(searchPage);
  searchLayout->setContentsMargins(2, 2, 2, 2);
  searchLayout->addWidget(searchEdit_);
  searchLayout->addWidget(searchResults_);
  tabs->addTab(searchPage, "Search");

  // The three tabs stay whole at any font size: the list side is never narrower than they are.
  tabs->setUsesScrollButtons(false);
  // Above the page: back and forward through the pages read, and the contents page.
  auto* pageSide = new QWidget(this);
  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(2, 2, 2, 0);
  auto button = [this, buttons](const char* name, const QString& text, QStyle::StandardPixmap icon) {
    auto* b = new QToolButton(this);
    b->setObjectName(name);
    b->setText(text);
    b->setIcon(style()->standardIcon(icon));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setAutoRaise(true);
    buttons->addWidget(b);
    return b;
  };
  QToolButton* back = button("HelpBack", "Back", QStyle::SP_ArrowBack);
  QToolButton* forward = button("HelpForward", "Forward", QStyle::SP_ArrowForward);
  QToolButton* home = button("HelpHome", "Contents", QStyle::SP_DirHomeIcon);
  buttons->addStretch(1);
  back->setEnabled(false);
  forward->setEnabled(false);
  connect(back, &QToolButton::clicked, browser_, &QTextBrowser::backward);
  connect(forward, &QToolButton::clicked, browser_, &QTextBrowser::forward);
  connect(home, &QToolButton::clicked, this, [this] { ShowUrl(HelpContentsUrl()); });
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QToolButton::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward, &QToolButton::setEnabled);
  auto* pageLayout = new QVBoxLayout(pageSide);
  pageLayout->setContentsMargins(0, 0, 0, 0);
  pageLayout->setSpacing(0);
  pageLayout->addLayout(buttons);
  pageLayout->addWidget(browser_);

  auto* splitter = new QSplitter(this);
  splitter->setChildrenCollapsible(false);
  splitter->addWidget(tabs);
  splitter->addWidget(pageSide);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({std::max(220, tabs->minimumSizeHint().width()), 600});
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(splitter);

  FillIndex(QString());
  connect(indexFilter_, &QLineEdit::textChanged, this, &THelpWindow::FillIndex);
  connect(searchEdit_, &QLineEdit::textChanged, this, &THelpWindow::FillSearch);
  // One click opens an entry, as in any help viewer; Enter and a double click do too.
  for (QListWidget* list : {contents_, index_, searchResults_}) {
    connect(list, &QListWidget::itemClicked, this, &THelpWindow::OpenItem);
    connect(list, &QListWidget::itemActivated, this, &THelpWindow::OpenItem);
  }
  // The contents list marks the page shown, however it was reached.
  connect(browser_, &QTextBrowser::sourceChanged, this, [this](const QUrl& url) {
    browser_->setExtraSelections({});
    const QUrl page = url.adjusted(QUrl::RemoveFragment);
    for (int i = 0; i < contents_->count(); ++i)
      if (contents_->item(i)->data(Qt::UserRole).toUrl() == page) contents_->setCurrentRow(i);
  });
  // The filter's Enter opens the first entry left.
  connect(indexFilter_, &QLineEdit::returnPressed, this, [this] {
    if (index_->count() > 0) OpenItem(index_->item(0));
  });
  connect(searchEdit_, &QLineEdit::returnPressed, this, [this] {
    if (searchResults_->count() > 0) OpenItem(searchResults_->item(0));
  });
  ResizeToContent(this, QSize(860, 600));
}

void THelpWindow::FillIndex(const QString& filter) {
  index_->clear();
  for (const THelpIndexEntry& e : HelpIndex()) {
    if (!filter.isEmpty() && !e.Text.contains(filter, Qt::CaseInsensitive)) continue;
    auto* item = new QListWidgetItem(e.Text, index_);
    item->setData(Qt::UserRole, e.Url);
    item->setToolTip(e.Text);
  }
}

void THelpWindow::FillSearch(const QString& query) {
  searchResults_->clear();
  for (const QUrl& url : SearchHelp(query)) {
    const auto page =
        std::find_if(HelpPages().begin(), HelpPages().end(), [&url](const THelpPage& p) { return p.Url == url; });
    auto* item = new QListWidgetItem(page == HelpPages().end() ? url.fileName() : page->Title, searchResults_);
    item->setData(Qt::UserRole, url);
  }
}

void THelpWindow::OpenItem(const QListWidgetItem* item) {
  if (!item) return;
  ShowUrl(item->data(Qt::UserRole).toUrl());
  MarkWords(item->listWidget() == searchResults_ ? searchEdit_->text() : QString());
}

void THelpWindow::MarkWords(const QString& query) {
  QList<QTextEdit::ExtraSelection> marks;
  QTextCharFormat marked;
  marked.setBackground(QColor(255, 230, 120));
  QTextCursor first;
  for (const QString& word : query.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts)) {
    for (QTextCursor at = browser_->document()->find(word); !at.isNull(); at = browser_->document()->find(word, at)) {
      marks.append({at, marked});
      if (first.isNull() || at.position() < first.position()) first = at;
    }
  }
  browser_->setExtraSelections(marks);
  if (!first.isNull()) {
    first.setPosition(first.selectionStart());
    browser_->setTextCursor(first);
    browser_->ensureCursorVisible();
  }
}

QList<QTextEdit::ExtraSelection> THelpWindow::MarkedWords() const { return browser_->extraSelections(); }

void THelpWindow::ShowUrl(const QUrl& url) {
  browser_->setSource(url);
  JoinWindow(QApplication::activeModalWidget());
  show();
  raise();
  activateWindow();
}

QUrl THelpWindow::CurrentUrl() const { return browser_->source(); }

// A modal window blocks input to every window that is not its own. So that a page opened from
// a modal dialog can be scrolled and followed, the help window becomes a window of that dialog
// while it is up, and goes back to the dialog's own modal owner, or to none, when it closes.
void THelpWindow::JoinWindow(QWidget* modal) {
  if (modal == this || (modal && isAncestorOf(modal))) modal = nullptr;
  if (parentWidget() == modal) return;
  if (parentWidget()) parentWidget()->removeEventFilter(this);
  const bool shown = isVisible();
  const QRect bounds = geometry();
  setParent(modal, windowFlags() | Qt::Window);
  setGeometry(bounds);
  if (modal) modal->installEventFilter(this);
  if (shown) show();
}

bool THelpWindow::eventFilter(QObject* watched, QEvent* e) {
  if (watched == parentWidget() && e->type() == QEvent::Hide && !e->spontaneous()) {
    // The modal window that opened this one (a dialog opened from a dialog) takes it back.
    QWidget* owner = parentWidget()->parentWidget();
    while (owner && !(owner->window()->isModal() && owner->window()->isVisible())) owner = owner->parentWidget();
    JoinWindow(owner ? owner->window() : nullptr);
  }
  return QWidget::eventFilter(watched, e);
}

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

int HelpContextInFront(const QWidget* w) {
  const int context = HelpContextOf(w);
  // The widget that gave the context: when it is the window itself (a button below the
  // pages, say), the page in front of a tabbed or paged window speaks for it.
  const QWidget* owner = w;
  while (owner && owner->property(kContextProperty).toInt() == 0) owner = owner->parentWidget();
  if (!owner || !owner->isWindow()) return context;
  // Tab pages live in a stack of their own, so the stacks cover tabbed and paged windows alike.
  for (const QStackedWidget* pages : owner->findChildren<QStackedWidget*>()) {
    if (!pages->isVisible() || pages->window() != owner || !pages->currentWidget()) continue;
    const int page = pages->currentWidget()->property(kContextProperty).toInt();
    if (page != 0) return page;
  }
  return context;
}

void InstallHelpKey() {
  static QPointer<THelpKeyFilter> filter;
  if (filter || !qApp) return;
  filter = new THelpKeyFilter(qApp);
  qApp->installEventFilter(filter);
}

}  // namespace qv
