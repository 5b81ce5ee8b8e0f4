// The tree `cmake --install` makes, installed into a temporary prefix: the programs, the
// desktop entry, the MIME package (its globs and its magic, checked through the MIME
// database on files the engine writes), the icon theme and the AppStream metainfo, with
// the freedesktop validators run on them where they are installed.
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QMimeDatabase>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>
#include <map>

#include "engine/EngineTestSupport.h"

namespace {

const QStringList kMimeTypes = {"application/x-quivara-project", "application/x-quivara-library"};

struct TRun {
  int ExitCode = -1;
  QString Output;
};

TRun Run(const QString& program, const QStringList& args) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(program, args);
  TRun r;
  if (!p.waitForFinished(120000)) return r;
  r.ExitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.Output = QString::fromLocal8Bit(p.readAll());
  return r;
}

// The keys of the [Desktop Entry] group of a .desktop file (read as text: QSettings would
// take the ';' lists and the '%' codes apart).
std::map<QString, QString> DesktopEntry(const QString& path) {
  std::map<QString, QString> keys;
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return keys;
  bool inGroup = false;
  for (const QString& raw : QString::fromUtf8(f.readAll()).split('\n')) {
    const QString line = raw.trimmed();
    if (line.startsWith('[')) {
      inGroup = line == "[Desktop Entry]";
    } else if (inGroup && !line.startsWith('#') && line.contains('=')) {
      const qsizetype eq = line.indexOf('=');
      keys[line.left(eq).trimmed()] = line.mid(eq + 1).trimmed();
    }
  }
  return keys;
}

// Whether an XML file is well formed; its root element's name goes to *root.
bool ParseXml(const QString& path, QString* root, QString* error) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    *error = "cannot open " + path;
    return false;
  }
  QXmlStreamReader xml(&f);
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement() && root->isEmpty()) *root = xml.name().toString();
  }
  if (xml.hasError()) *error = path + ": " + xml.errorString();
  return !xml.hasError();
}

}  // namespace

class InstalledTreeTest : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir prefix_;
  QString Path(const QString& rel) const { return prefix_.filePath(rel); }

 private slots:
  void initTestCase() {
    QVERIFY(prefix_.isValid());
    const TRun r = Run(QUIVARA_CMAKE, {"--install", QUIVARA_BINARY_DIR, "--prefix", prefix_.path()});
    QVERIFY2(r.ExitCode == 0, qPrintable(r.Output));
  }

  void programsRunFromTheInstalledTree() {
    for (const QString& name : QStringList{"bin/quivara", "bin/quivara-cli"}) {
      const QFileInfo fi(Path(name));
      QVERIFY2(fi.isFile() && fi.isExecutable(), qPrintable(name));
    }
    const TRun r = Run(Path("bin/quivara-cli"), {"--version"});
    QCOMPARE(r.ExitCode, 0);
    QVERIFY(r.Output.contains("3.0"));
    // The demo command finds the sample pictures installed beside the programs.
    QVERIFY(QFileInfo(Path("share/quivara/samples/source.jpg")).isFile());
    QVERIFY(QDir(Path("share/quivara/samples/tiles")).entryList({"*.jpg"}, QDir::Files).size() > 100);
  }

  // The installed desktop program starts, and keeps its settings in the user's configuration
  // folder: never in bin/, even when that can be written (by root, or in a prefix of the user's).
  void desktopProgramKeepsSettingsOutOfTheInstallTree() {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("QUIVARA_SETTINGS");
    env.insert("XDG_CONFIG_HOME", Path("config-home"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    p.setProcessEnvironment(env);
    p.start(Path("bin/quivara"), {"--screenshot", Path("window.png")});
    QVERIFY(p.waitForFinished(120000));
    QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0, p.readAll().constData());
    QVERIFY(!QImage(Path("window.png")).isNull());
    QVERIFY(!QFileInfo::exists(Path("bin/qv003.ini")));
    QVERIFY(QFileInfo(Path("config-home/quivara/qv003.ini")).isFile());
  }

  void libraryBuildsUseTheInstalledTileHelper() {
    const QFileInfo helper(Path("libexec/quivara/quivara-tile-helper"));
    QVERIFY(helper.isFile() && helper.isExecutable());
    // A picture that crashes its decoder (made to, here) costs that picture only.
    const QString tiles = Path("share/quivara/samples/tiles");
    const QStringList names = QDir(tiles).entryList({"*.jpg"}, QDir::Files, QDir::Name);
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUIVARA_TEST_HELPER_FAULT", "crash:" + names[3]);
    p.setProcessEnvironment(env);
    p.start(Path("bin/quivara-cli"), {"library", "create", Path("crash.qv2"), "--root", tiles});
    QVERIFY(p.waitForFinished(120000));
    const QString out = QString::fromLocal8Bit(p.readAll());
    QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0, qPrintable(out));
    QVERIFY2(out.contains(QString("%1 of %2 picture files added").arg(names.size() - 1).arg(names.size())),
             qPrintable(out));
  }

  void desktopEntryStartsTheProgramWithAFile() {
    const QString file = Path("share/applications/quivara.desktop");
    QVERIFY(QFileInfo(file).isFile());
    auto keys = DesktopEntry(file);
    QCOMPARE(keys["Type"], QString("Application"));
    QCOMPARE(keys["Name"], QString("Quivara"));
    // A file manager opens a file by putting its name in place of %f.
    const QStringList exec = keys["Exec"].split(' ', Qt::SkipEmptyParts);
    QCOMPARE(exec, QStringList({"quivara", "%f"}));
    QVERIFY(QFileInfo(Path("bin/" + exec[0])).isExecutable());
    QCOMPARE(keys["Icon"], QString("quivara"));
    QVERIFY(keys["Categories"].split(';').contains("Graphics"));
    QStringList types = keys["MimeType"].split(';', Qt::SkipEmptyParts);
    types.sort();
    QStringList expected = kMimeTypes;
    expected.sort();
    QCOMPARE(types, expected);
  }

  void mimePackageNamesBothFileKinds() {
    const QString file = Path("share/mime/packages/quivara.xml");
    QString root, error;
    QVERIFY2(ParseXml(file, &root, &error), qPrintable(error));
    QCOMPARE(root, QString("mime-info"));
    // type -> glob patterns, read off the package.
    std::map<QString, QStringList> globs;
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&f);
    QString type;
    while (!xml.atEnd()) {
      if (!xml.readNext() || !xml.isStartElement()) continue;
      if (xml.name() == QLatin1String("mime-type")) type = xml.attributes().value("type").toString();
      if (xml.name() == QLatin1String("glob")) globs[type] << xml.attributes().value("pattern").toString();
    }
    QCOMPARE(globs["application/x-quivara-project"], QStringList({"*.qvp"}));
    QCOMPARE(globs["application/x-quivara-library"], QStringList({"*.qv2"}));
  }

  // The MIME database built from the installed package knows the files the engine writes by
  // their names and, renamed, by their leading bytes.
  void mimeDatabaseRecognisesWrittenFiles() {
    const QString update = QStandardPaths::findExecutable("update-mime-database");
    if (update.isEmpty()) QSKIP("update-mime-database (shared-mime-info) is not installed");
    const TRun r = Run(update, {Path("share/mime")});
    QVERIFY2(r.ExitCode == 0, qPrintable(r.Output));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string lib = dir.filePath("tiles.qv2").toStdString(), project = dir.filePath("mosaic.qvp").toStdString();
    qvtest::WriteSyntheticLibrary(lib, 3);
    qv::TQVData t;
    QVERIFY(t.Open(lib));
    t.CreateProject(project, qvtest::DrawTestPicture(40, 30, 1), {"/src/pic.jpg", {0, 0, 40, 30}}, qv::Size{4, 3});
    QVERIFY(QFile::copy(dir.filePath("tiles.qv2"), dir.filePath("library.bin")));
    QVERIFY(QFile::copy(dir.filePath("mosaic.qvp"), dir.filePath("project.bin")));

    // Only the installed tree: the MIME database reads these folders on its first use.
    qputenv("XDG_DATA_DIRS", QFile::encodeName(Path("share")) + ":/usr/share");
    qputenv("XDG_DATA_HOME", QFile::encodeName(Path("home-data")));
    QMimeDatabase db;
    const QString d = dir.path() + "/";
    QCOMPARE(db.mimeTypeForFile(d + "tiles.qv2").name(), QString("application/x-quivara-library"));
    QCOMPARE(db.mimeTypeForFile(d + "mosaic.qvp").name(), QString("application/x-quivara-project"));
    QCOMPARE(db.mimeTypeForFile(d + "library.bin", QMimeDatabase::MatchContent).name(),
             QString("application/x-quivara-library"));
    QCOMPARE(db.mimeTypeForFile(d + "project.bin", QMimeDatabase::MatchContent).name(),
             QString("application/x-quivara-project"));
    QCOMPARE(db.mimeTypeForName("application/x-quivara-project").iconName(), QString("application-x-quivara-project"));
  }

  void iconsSitInTheHicolorTheme() {
    for (const QString& name : QStringList{"apps/quivara", "mimetypes/application-x-quivara-project",
                                           "mimetypes/application-x-quivara-library"}) {
      for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString file = Path(QString("share/icons/hicolor/%1x%1/%2.png").arg(size).arg(name));
        const QImage img(file);
        QVERIFY2(!img.isNull(), qPrintable(file));
        QCOMPARE(img.size(), QSize(size, size));
        // Drawn on a transparent background, with something drawn in the middle.
        QCOMPARE(qAlpha(img.pixel(0, 0)), 0);
        QVERIFY2(qAlpha(img.pixel(size / 2, size / 2)) == 255, qPrintable(file));
      }
      const QString svg = Path("share/icons/hicolor/scalable/" + name + ".svg");
      QString root, error;
      QVERIFY2(ParseXml(svg, &root, &error), qPrintable(error));
      QCOMPARE(root, QString("svg"));
    }
  }

  // What Debian wants of every package: a copyright file in the machine-readable format, the
  // change log, and a manual page for every program in bin/, compressed without a name or
  // time stamp (the same bytes on every build).
  void copyrightChangeLogAndManualPages() {
    QFile copyright(Path("share/doc/quivara/copyright"));
    QVERIFY(copyright.open(QIODevice::ReadOnly));
    QVERIFY(
        copyright.readLine().startsWith("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"));

    std::map<QString, QString> firstLines = {{"share/doc/quivara/changelog.gz", "quivara (3.0) "}};
    for (const QString& program : QDir(Path("bin")).entryList(QDir::Files))
      firstLines["share/man/man1/" + program + ".1.gz"] = ".TH " + program.toUpper().replace("-", "\\-") + " 1 ";
    QCOMPARE(int(firstLines.size()), 3);
    for (const auto& [file, start] : firstLines) {
      QFile f(Path(file));
      QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(file));
      const QByteArray head = f.read(10);
      QCOMPARE(head.size(), 10);
      QCOMPARE(head.left(3), QByteArray("\x1f\x8b\x08", 3));  // gzip, deflate
      QCOMPARE(quint8(head[3]) & 0x08, 0);                    // no file name
      QCOMPARE(head.mid(4, 4), QByteArray(4, '\0'));          // no time stamp
      const TRun r = Run("gzip", {"-dc", f.fileName()});
      QCOMPARE(r.ExitCode, 0);
      QVERIFY2(r.Output.startsWith(start), qPrintable(file + ": " + r.Output.left(60)));
    }
  }

  void metainfoLaunchesTheDesktopEntry() {
    const QString file = Path("share/metainfo/org.example.quivara.metainfo.xml");
    QString root, error;
    QVERIFY2(ParseXml(file, &root, &error), qPrintable(error));
    QCOMPARE(root, QString("component"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&f);
    QString id, launchable;
    while (!xml.atEnd()) {
      xml.readNext();
      if (xml.isStartElement() && xml.name() == QLatin1String("id")) id = xml.readElementText();
      if (xml.isStartElement() && xml.name() == QLatin1String("launchable")) launchable = xml.readElementText();
    }
    QCOMPARE(id, QString("org.example.quivara"));
    QVERIFY(QFileInfo(Path("share/applications/" + launchable)).isFile());
  }

  void validatorsAcceptTheFiles_data() {
    QTest::addColumn<QString>("validator");
    QTest::addColumn<QStringList>("args");
    QTest::newRow("desktop entry") << "desktop-file-validate"
                                   << QStringList{Path("share/applications/quivara.desktop")};
    QTest::newRow("metainfo") << "appstream-util"
                              << QStringList{"validate-relax", "--nonet",
                                             Path("share/metainfo/org.example.quivara.metainfo.xml")};
  }

  void validatorsAcceptTheFiles() {
    QFETCH(QString, validator);
    QFETCH(QStringList, args);
    const QString program = QStandardPaths::findExecutable(validator);
    if (program.isEmpty()) QSKIP(qPrintable(validator + " is not installed"));
    const TRun r = Run(program, args);
    QVERIFY2(r.ExitCode == 0, qPrintable(r.Output));
  }
};

QTEST_GUILESS_MAIN(InstalledTreeTest)
#include "InstalledTreeTest.moc"
