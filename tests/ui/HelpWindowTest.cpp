// The help pages and F1.
#include <QDir>
#include <QLineEdit>
#include <QSet>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QtTest>

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
