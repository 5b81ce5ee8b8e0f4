// The help pages and F1: a page for every help context the program's windows carry, every
// link, anchor and picture of the pages resolving, contents, index and search, and F1 in
// windows opening their own page.
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QtTest>
#include <algorithm>

#include "FindChild.h"
#include "MainFormFixture.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/MainForm.h"
#include "mainwindow/Resources.h"
#include "manual/ManualCommands.h"
#include "manual/ManualForma.h"
#include "outputui/JpegOptions.h"
#include "prefs/PrefsForm.h"

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

// The anchor names a page defines (<a name="..."> and id="..." both end up here).
QSet<QString> AnchorNames(const QTextDocument& page) {
  QSet<QString> names;
  for (QTextBlock b = page.begin(); b.isValid(); b = b.next()) {
    for (const QString& n : b.charFormat().anchorNames()) names.insert(n);
    for (auto it = b.begin(); !it.atEnd(); ++it)
      for (const QString& n : it.fragment().charFormat().anchorNames()) names.insert(n);
  }
  return names;
}

// The sources of the pictures a page shows.
QStringList Images(const QTextDocument& page) {
  QStringList images;
  for (QTextBlock b = page.begin(); b.isValid(); b = b.next())
    for (auto it = b.begin(); !it.atEnd(); ++it)
      if (it.fragment().charFormat().isImageFormat()) images << it.fragment().charFormat().toImageFormat().name();
  return images;
}

// The text from an opening parenthesis at open to its matching closing one, without both.
QString Arguments(const QString& text, qsizetype open) {
  int depth = 0;
  for (qsizetype i = open; i < text.size(); ++i) {
    if (text[i] == '(') ++depth;
    if (text[i] == ')' && --depth == 0) return text.mid(open + 1, i - open - 1);
  }
  return {};
}

// Where in the sources a help context number is given: the file and line of each place that
// names it.
using TContextUses = QMap<int, QStringList>;

// Scans the program's sources for help contexts: every constant whose name holds "Help"
// given a number (or a list of numbers), and every number handed straight to SetHelpContext
// or ShowHelpTopic. A call whose context is neither a number nor such a constant cannot be
// checked and is listed in unresolved, so a new way of naming contexts cannot slip past.
TContextUses HelpContextsInSources(QStringList& unresolved) {
  TContextUses uses;
  static const QRegularExpression constant(
      R"(\b(\w*Help\w*)\s*(?:\[\s*\d*\s*\])?\s*(?:=\s*)?\{?\s*(\d+(?:\s*,\s*\d+)*)\s*\}?\s*;)");
  static const QRegularExpression call(R"(\b(SetHelpContext|ShowHelpTopic)\s*\()");
  static const QRegularExpression number(R"(\b\d+\b)");
  static const QRegularExpression identifier(R"(\b[A-Za-z_]\w*\b)");
  const QString root = QStringLiteral(QUIVARA_SOURCE_DIR) + "/src";
  QMap<QString, QString> texts;
  QSet<QString> constants;
  for (QDirIterator it(root, {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
    const QString path = it.next();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) continue;
    const QString text = QString::fromUtf8(f.readAll());
    const QString where = QDir(root).relativeFilePath(path);
    texts.insert(where, text);
    for (auto m = constant.globalMatch(text); m.hasNext();) {
      const auto c = m.next();
      constants.insert(c.captured(1));
      const int line = int(text.left(c.capturedStart()).count('\n')) + 1;
      for (auto n = number.globalMatch(c.captured(2)); n.hasNext();)
        uses[n.next().captured().toInt()] << QString("%1:%2").arg(where).arg(line);
    }
  }
  for (auto t = texts.cbegin(); t != texts.cend(); ++t) {
    if (t.key().startsWith("mainwindow/HelpWindow.")) continue;  // the mechanism itself
    const QString& text = t.value();
    for (auto m = call.globalMatch(text); m.hasNext();) {
      const auto c = m.next();
      QString context = Arguments(text, c.capturedEnd() - 1);
      if (c.captured(1) == "SetHelpContext") context = context.mid(context.indexOf(',') + 1);
      const int line = int(text.left(c.capturedStart()).count('\n')) + 1;
      const QString where = QString("%1:%2").arg(t.key()).arg(line);
      // A declaration or definition of a function of that name hands over no context.
      if (context.contains(QRegularExpression(R"(^\s*int\b)"))) continue;
      // Nor does a function that passes its own int parameter on.
      const QString name = context.simplified();
      if (!name.isEmpty() &&
          text.mid(std::max<qsizetype>(0, c.capturedStart() - 200), 200)
              .contains(QRegularExpression("\\(\\s*int\\s+" + QRegularExpression::escape(name) + "\\s*\\)")))
        continue;
      bool resolved = false;
      for (auto n = number.globalMatch(context); n.hasNext();) {
        uses[n.next().captured().toInt()] << where;
        resolved = true;
      }
      for (auto id = identifier.globalMatch(context); id.hasNext();)
        if (constants.contains(id.next().captured())) resolved = true;
      if (!resolved) unresolved << where + ": " + context.simplified();
    }
  }
  return uses;
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

  // Every help context a window or button of the program uses has a page of its own, and
  // every page the source folder holds is bundled.
  void EveryHelpContextHasAPage() {
    QStringList unresolved;
    const TContextUses uses = HelpContextsInSources(unresolved);
    QVERIFY2(unresolved.isEmpty(), qPrintable("help contexts the scan cannot read:\n" + unresolved.join('\n')));
    // The scan itself works: the main window's, the grid pop-up's and a manual tiles page's.
    for (int known : {4, 11, 28}) QVERIFY2(uses.contains(known), qPrintable(QString::number(known)));
    for (auto u = uses.cbegin(); u != uses.cend(); ++u)
      QVERIFY2(HelpTopicUrl(u.key()) != HelpContentsUrl(),
               qPrintable(QString("help context %1 (%2) has no page").arg(u.key()).arg(u.value().join(", "))));
    const QDir folder(QStringLiteral(QUIVARA_SOURCE_DIR) + "/resources/help");
    const QStringList files = folder.entryList(QDir::Files);
    QVERIFY(files.contains("index.html"));
    for (const QString& file : files) QVERIFY2(QFile::exists(":/help/" + file), qPrintable(file + " is not bundled"));
  }

  // Every link, followed from the contents page on through every page it reaches, opens a page
  // the program carries, at an anchor the page defines; every picture a page shows is carried;
  // and every page the program carries can be reached that way.
  void EveryLinkLeadsToABundledPage() {
    ShowHelpContents();
    QList<QUrl> toVisit{HelpContentsUrl()};
    QSet<QString> visited;
    QList<QPair<QUrl, QUrl>> anchored;  // (page with the link, target with a fragment)
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
        if (target.hasFragment()) anchored.append({url, target});
        toVisit << target.adjusted(QUrl::RemoveFragment);
      }
      for (const QString& src : Images(*Browser()->document())) {
        const QUrl image = url.resolved(QUrl(src));
        QVERIFY2(image.scheme() == "qrc" && !QImage(":" + image.path()).isNull(),
                 qPrintable(url.toString() + " shows " + src + ", which the program does not carry"));
      }
    }
    QVERIFY(visited.size() > 1);
    for (const QString& page : QDir(":/help").entryList({"*.html"}))
      QVERIFY2(visited.contains("/help/" + page), qPrintable(page + " cannot be reached from the contents"));
    // The contents page itself names every page, so the Contents list follows its order.
    HelpWindow()->ShowUrl(HelpContentsUrl());
    QStringList listed;
    for (const QString& href : Links(*Browser()->document()))
      listed << QUrl(href).adjusted(QUrl::RemoveFragment).path();
    for (const QString& page : QDir(":/help").entryList({"*.html"}))
      QVERIFY2(page == "index.html" || listed.contains(page), qPrintable(page + " is missing from the contents page"));
    for (const auto& [from, target] : anchored) {
      HelpWindow()->ShowUrl(target.adjusted(QUrl::RemoveFragment));
      QVERIFY2(AnchorNames(*Browser()->document()).contains(target.fragment()),
               qPrintable(from.toString() + " links to " + target.toString() + ", an anchor that page lacks"));
    }
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
    // The word is marked wherever it stands on the page, and the page shows the first.
    const QList<QTextEdit::ExtraSelection> marks = HelpWindow()->MarkedWords();
    QCOMPARE(marks.size(), int(Browser()->toPlainText().count("distance", Qt::CaseInsensitive)));
    for (const QTextEdit::ExtraSelection& m : marks) QCOMPARE(m.cursor.selectedText().toLower(), QString("distance"));
    QCOMPARE(Browser()->textCursor().position(), marks.first().cursor.selectionStart());
    // An entry of the contents opens its page without marks.
    QTest::mouseClick(contents->viewport(), Qt::LeftButton, {}, contents->visualItemRect(contents->item(2)).center());
    QVERIFY(HelpWindow()->MarkedWords().isEmpty());

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

  // A click on a contents entry opens its page and marks it; links, Back, Forward and
  // Contents move between pages, and the contents list follows.
  void ReadingThePages() {
    ShowHelpContents();
    auto* contents = Child<QListWidget>(*HelpWindow(), "HelpContents");
    auto* back = Child<QToolButton>(*HelpWindow(), "HelpBack");
    auto* forward = Child<QToolButton>(*HelpWindow(), "HelpForward");
    const QList<QListWidgetItem*> found = contents->findItems("Output mosaic setup", Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    const QRect row = contents->visualItemRect(found.first());
    QTest::mouseClick(contents->viewport(), Qt::LeftButton, {}, row.center());
    QCOMPARE(HelpWindow()->CurrentUrl(), QUrl("qrc:/help/topic20.html"));
    HelpWindow()->ShowUrl(QUrl("qrc:/help/topic21.html"));
    QCOMPARE(contents->currentItem()->text(), QString("JPEG Options"));
    QVERIFY(back->isEnabled());
    QVERIFY(!forward->isEnabled());
    QTest::mouseClick(back, Qt::LeftButton);
    QCOMPARE(HelpWindow()->CurrentUrl(), QUrl("qrc:/help/topic20.html"));
    QCOMPARE(contents->currentItem(), found.first());
    QTest::mouseClick(forward, Qt::LeftButton);
    QCOMPARE(HelpWindow()->CurrentUrl(), QUrl("qrc:/help/topic21.html"));
    QTest::mouseClick(Child<QToolButton>(*HelpWindow(), "HelpHome"), Qt::LeftButton);
    QCOMPARE(HelpWindow()->CurrentUrl(), HelpContentsUrl());
    QCOMPARE(contents->currentRow(), 0);
  }

  // A page opened from a modal dialog can be used while the dialog is up (a modal window
  // blocks every window that is not its own), and stays open when the dialog closes.
  void UsableBesideAModalDialog() {
    HelpWindow()->hide();
    QDialog dialog;
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(QApplication::activeModalWidget(), &dialog);
    ShowHelpTopic(20);
    QVERIFY(QTest::qWaitForWindowExposed(HelpWindow()));
    auto* contents = Child<QListWidget>(*HelpWindow(), "HelpContents");
    const QList<QListWidgetItem*> jpeg = contents->findItems("JPEG Options", Qt::MatchExactly);
    QCOMPARE(jpeg.size(), 1);
    // Clicked through the window system, which holds back input to blocked windows.
    const QPoint at = contents->viewport()->mapTo(HelpWindow(), contents->visualItemRect(jpeg.first()).center());
    QTest::mouseClick(HelpWindow()->windowHandle(), Qt::LeftButton, {}, at);
    QCOMPARE(HelpWindow()->CurrentUrl(), QUrl("qrc:/help/topic21.html"));
    dialog.hide();
    QVERIFY(HelpWindow()->isVisible());
    QCOMPARE(HelpWindow()->parentWidget(), nullptr);
    QTest::mouseClick(Child<QToolButton>(*HelpWindow(), "HelpBack"), Qt::LeftButton);
    QCOMPARE(HelpWindow()->CurrentUrl(), QUrl("qrc:/help/topic20.html"));
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

  // The windows with more than one topic: the manual tiles window follows its page, a modal
  // dialog opened from it answers with its own page, and the preferences with the page in
  // front.
  void F1InTheProgramsWindows() {
    InstallHelpKey();
    qvtest::TMainFormFixture fx;
    const std::string library = fx.MakeLibrary("lib", 6);
    TForm1 form(fx.Settings());
    TManualForma* manual = InstallManualTilesCommands(form);
    form.OpenQVP(fx.MakeProject("proj", library, 3, 2));
    form.show();
    manual->ShowWindow();
    QVERIFY(QTest::qWaitForWindowActive(manual));
    const QList<QPair<TManualPage, int>> pages{{TManualPage::CustomTiles, TManualForma::kCustomHelpContext},
                                               {TManualPage::ForcedTiles, TManualForma::kForcedHelpContext},
                                               {TManualPage::LibraryTiles, TManualForma::kLibraryHelpContext}};
    for (const auto& [page, context] : pages) {
      manual->SetPage(page);
      HelpWindow()->hide();
      QWidget* tabs = Child<QTabWidget>(manual, "PageControl1")->currentWidget();
      tabs->setFocus();
      QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : tabs, Qt::Key_F1);
      QVERIFY(HelpWindow()->isVisible());
      QCOMPARE(HelpWindow()->CurrentUrl(), QUrl(QString("qrc:/help/topic%1.html").arg(context)));
    }

    Tjpegoptions jpeg(fx.Settings(), manual);
    jpeg.open();
    QVERIFY(QTest::qWaitForWindowActive(&jpeg));
    HelpWindow()->hide();
    auto* quality = Child<QSpinBox>(&jpeg, "SpinEdit1");
    quality->setFocus();
    QTest::keyClick(quality, Qt::Key_F1);
    QVERIFY(HelpWindow()->isVisible());
    QCOMPARE(HelpWindow()->CurrentUrl(), QUrl("qrc:/help/topic21.html"));
    jpeg.reject();
    manual->CloseClick();

    // F1 on a button below the pages answers with the page in front; "Help" with the window's.
    TPrefsForm prefs(form);
    prefs.open();
    QVERIFY(QTest::qWaitForWindowExposed(&prefs));
    auto* save = Child<QPushButton>(&prefs, "BitBtn2");
    auto* prefsPages = Child<QTabWidget>(&prefs, "PageControl1");
    for (int page : {1, 0}) {
      prefsPages->setCurrentIndex(page);
      save->setFocus();
      QTest::keyClick(save, Qt::Key_F1);
      QCOMPARE(HelpWindow()->CurrentUrl(), HelpTopicUrl(page == 0 ? 35 : 36));
    }
    QTest::mouseClick(Child<QPushButton>(&prefs, "BitBtnHlp"), Qt::LeftButton);
    QCOMPARE(HelpWindow()->CurrentUrl(), HelpTopicUrl(34));
    prefs.reject();
  }
};

QTEST_MAIN(HelpWindowTest)
#include "HelpWindowTest.moc"
