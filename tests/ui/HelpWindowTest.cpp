// The help pages and F1.
#include <QLineEdit>
#include <QTextBrowser>
#include <QtTest>

#include "mainwindow/HelpWindow.h"
#include "mainwindow/Resources.h"

using namespace qv;

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
    QVERIFY(HelpWindow()->Browser()->toPlainText().contains("Distance"));
    ShowHelpContents();
    QCOMPARE(HelpWindow()->CurrentUrl(), HelpContentsUrl());
    // every link of the contents page leads to a page that exists
    for (const char* page : {"topic1.html", "topic4.html", "topic11.html"})
      QVERIFY(QFile::exists(QString(":/help/") + page));
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
