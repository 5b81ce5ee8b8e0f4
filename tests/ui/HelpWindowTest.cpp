// The help pages and F1.
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QSet>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QtTest>
#include <algorithm>

#include "FindChild.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/Resources.h"

using namespace qv;
using qvtest::Child;

namespace {

QTextBrowser* Browser() { return Child<QTextBrowser>(*HelpWindow(), "HelpBrowser"); }

// The targets of the links of the page the browser shows, in page order.
QStringList Links(const QTextDocument& page) {
  QStringList links;
  for (QTextBlock b = page.begin(); b.isValid(); b = b.next())
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat f = it.fragment().charFormat();
      if (f.isAnchor() && !f.anchorHref().isEmpty() && !links.contains(f.anchorHref())) links << f.anchorHref();
    }
  return links;
}

}  // namespace

class HelpWindowTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { InitQuivaraResources(); }

  void PagesPerContext() {
    QCOMPARE(HelpContentsUrl(), QUrl("qrc:/help/index.html"));
    for (int context : {1, 4, 11})
      QCOMPARE(HelpTopicUrl(context), QUrl(QString("qrc:/help/topic%1.html").arg(context)));
    QCOMPARE(HelpTopicUrl(77), HelpContentsUrl());  // no page of its own
    ShowHelpTopic(4);
    QVERIFY(HelpWindow()->isVisible());
    QVERIFY(Browser()->toPlainText().contains("Distance"));
    ShowHelpContents();
    QCOMPARE(HelpWindow()->CurrentUrl(), HelpContentsUrl());
  }

  // Every link, followed from the contents page on through every page it reaches, opens a page
  // the program carries; and every page it carries can be reached that way.
  void EveryLinkLeadsToABundledPage() {
    ShowHelpContents();
    QList<QUrl> toVisit{HelpContentsUrl()};
    QSet<QString> visited;
    while (!toVisit.isEmpty()) {
      const QUrl url = toVisit.takeFirst();
      if (visited.contains(url.path())) continue;
      visited.insert(url.path());
      HelpWindow()->ShowUrl(url);
      QCOMPARE(HelpWindow()->CurrentUrl(), url);
      QVERIFY2(!Browser()->documentTitle().isEmpty(), qPrintable(url.toString()));
      for (const QString& href : Links(*Browser()->document())) {
        const QUrl target = url.resolved(QUrl(href));
        if (target.scheme() == "http" || target.scheme() == "https" || target.scheme() == "mailto") continue;
        QVERIFY2(target.scheme() == "qrc" && QFile::exists(":" + target.path()),
                 qPrintable(url.toString() + " links to " + href + ", which the program does not carry"));
        toVisit << target.adjusted(QUrl::RemoveFragment);
      }
    }
    QVERIFY(visited.size() > 1);
    for (const QString& page : QDir(":/help").entryList({"*.html"}))
      QVERIFY2(visited.contains("/help/" + page), qPrintable(page + " cannot be reached from the contents"));
  }

  void ContentsIndexAndSearch() {
    const int pages = int(QDir(":/help").entryList({"*.html"}).size());
    QCOMPARE(int(HelpPages().size()), pages);
    QCOMPARE(HelpPages().first().Url, HelpContentsUrl());
    auto* contents = Child<QListWidget>(*HelpWindow(), "HelpContents");
    QCOMPARE(contents->count(), pages);
    QCOMPARE(contents->item(0)->text(), QString("Quivara Help"));
    QCOMPARE(contents->item(1)->text(), QString("Words used in Quivara"));  // the contents' first page

    // Search: every word must be on the page; the page with most hits first.
    QVERIFY(SearchHelp("").isEmpty());
    QVERIFY(SearchHelp("qqzzyx").isEmpty());
    const QList<QUrl> both = SearchHelp("candidate STRETCH");
    QVERIFY(both.contains(QUrl("qrc:/help/topic36.html")));
    for (const QUrl& url : both) {
      const auto page =
          std::find_if(HelpPages().begin(), HelpPages().end(), [&](const THelpPage& p) { return p.Url == url; });
      QVERIFY(page->Text.contains("candidate", Qt::CaseInsensitive) &&
              page->Text.contains("stretch", Qt::CaseInsensitive));
    }
    auto* edit = Child<QLineEdit>(*HelpWindow(), "HelpSearchEdit");
    auto* results = Child<QListWidget>(*HelpWindow(), "HelpSearchResults");
    edit->setText("Distance");
    QVERIFY(results->count() > 0);
    QTest::keyClick(edit, Qt::Key_Return);
    QCOMPARE(HelpWindow()->CurrentUrl(), SearchHelp("Distance").first());
    QVERIFY(Browser()->toPlainText().contains("Distance", Qt::CaseInsensitive));

    // Index: titles and headings, sorted, filtered as typed.
    const QList<THelpIndexEntry> index = HelpIndex();
    QVERIFY(index.size() > pages);
    for (int i = 1; i < index.size(); ++i)
      QVERIFY(QString::compare(index[i - 1].Text, index[i].Text, Qt::CaseInsensitive) <= 0);
    auto* filter = Child<QLineEdit>(*HelpWindow(), "HelpIndexFilter");
    auto* list = Child<QListWidget>(*HelpWindow(), "HelpIndex");
    filter->setText("preferences: adv");
    // The page's title and its two headings, each naming the page.
    QCOMPARE(list->count(), 3);
    for (int i = 0; i < list->count(); ++i)
      QCOMPARE(list->item(i)->data(Qt::UserRole).toUrl(), QUrl("qrc:/help/topic36.html"));
    QTest::keyClick(filter, Qt::Key_Return);
    QCOMPARE(HelpWindow()->CurrentUrl(), QUrl("qrc:/help/topic36.html"));
  }

  void F1OpensTheTopicOfTheWindow() {
    QWidget window;
    SetHelpContext(&window, 11);
    auto* edit = new QLineEdit(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    InstallHelpKey();
    HelpWindow()->hide();
    QTest::keyClick(edit, Qt::Key_F1);
    QVERIFY(HelpWindow()->isVisible());
    QCOMPARE(HelpWindow()->CurrentUrl(), HelpTopicUrl(11));
    QCOMPARE(HelpContextOf(edit), 11);
  }
};

QTEST_MAIN(HelpWindowTest)
#include "HelpWindowTest.moc"
