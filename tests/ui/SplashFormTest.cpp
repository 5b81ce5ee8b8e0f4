// The splash and about window: what its creation fixes, its look and its clicks.
#include <QDir>
#include <QSignalSpy>
#include <QTimer>
#include <QUrlQuery>
#include <QtTest>

#include "FindChild.h"
#include "UrlRecorder.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/SplashForm.h"
#include "support/TestFiles.h"

using namespace qv;
using qvtest::Child;

class SplashFormTest : public QObject {
  Q_OBJECT
 private slots:
  void CreationFixesFolderAndSettingsPath() {
    qvtest::TempDir dir;
    qputenv("QUIVARA_SETTINGS", QByteArray::fromStdString(dir.File("mine.ini")));
    TSplashForm splash;
    QCOMPARE(QString::fromStdString(splash.SettingsPath()), QString::fromStdString(dir.File("mine.ini")));
    QCOMPARE(QDir::currentPath(), QCoreApplication::applicationDirPath());

    qunsetenv("QUIVARA_SETTINGS");
    TSplashForm again;  // the build folder is writable: the file lies next to the program
    QCOMPARE(QString::fromStdString(again.SettingsPath()), QCoreApplication::applicationDirPath() + "/qv003.ini");
  }

  void Look() {
    TSplashForm splash;
    QCOMPARE(splash.size(), QSize(595, 258));
    QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(splash.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(splash.palette().color(QPalette::Window), QColor(Qt::black));
    QCOMPARE(Child<QLabel>(splash, "Label1")->text(), QString("V 3.00 (d)"));
    QVERIFY(Child<QLabel>(splash, "Label1")->font().bold());
    QCOMPARE(Child<QLabel>(splash, "Label1")->palette().color(QPalette::WindowText), QColor(Qt::yellow));
    QCOMPARE(Child<QLabel>(splash, "Image1")->pixmap().size(), QSize(241, 242));
    QCOMPARE(Child<QLabel>(splash, "Image2")->pixmap().size(), QSize(380, 137));
    for (QLabel* link : {Child<QLabel>(splash, "Label7"), Child<QLabel>(splash, "Label3")}) {
      QVERIFY(link->font().underline());
      QVERIFY(link->font().bold());
      QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
      QVERIFY(splash.rect().contains(link->geometry()));
    }
    QCOMPARE(HelpContextOf(&splash), 1);
  }

  void LinksOpenWebPageAndMail() {
    qvtest::TUrlRecorder urls;
    TSplashForm splash;
    splash.ShowAndPaint();
    QTest::mouseClick(Child<QLabel>(splash, "Label7"), Qt::LeftButton);
    QTest::mouseClick(Child<QLabel>(splash, "Label3"), Qt::LeftButton);
    QCOMPARE(int(urls.Urls.size()), 2);
    QCOMPARE(urls.Urls[0], QUrl("https://quivara.example.org"));
    QCOMPARE(urls.Urls[1].scheme(), QString("mailto"));
    QCOMPARE(urls.Urls[1].path(), QString("support@quivara.example.org"));
    QCOMPARE(QUrlQuery(urls.Urls[1]).queryItemValue("subject", QUrl::FullyDecoded), QString("QUIVARA v3.0"));
    QVERIFY(splash.isVisible());  // the links do not close the window
    QTest::mouseClick(Child<QLabel>(splash, "Image1"), Qt::LeftButton);
    QVERIFY(!splash.isVisible());
  }

  void AboutIsModalUntilClicked() {
    TSplashForm splash;
    bool wasModal = false;
    QTimer::singleShot(50, &splash, [&] {
      wasModal = splash.isVisible() && splash.isModal();
      QTest::mouseClick(Child<QLabel>(splash, "Label1"), Qt::LeftButton);
    });
    splash.ShowAbout();
    QVERIFY(wasModal);
    QVERIFY(!splash.isVisible());
  }
};

QTEST_MAIN(SplashFormTest)
#include "SplashFormTest.moc"
#include "moc_UrlRecorder.cpp"
