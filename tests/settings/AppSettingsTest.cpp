// The settings file's location and the main window's start-up and close-down keys.
#include "settings/AppSettings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "settings/IniFile.h"
#include "support/TestFiles.h"

namespace qv {
namespace {

TEST(AppSettings, SettingsPathLocation) {
  qvtest::TempDir dir;
  std::string exe = dir.File("bin");
  std::filesystem::create_directories(exe);
  // The environment variable wins.
  EXPECT_EQ(ResolveSettingsPath(exe, (dir.Path() + "/other.ini").c_str(), nullptr, nullptr), dir.File("other.ini"));
  // A writable program folder holds the file.
  EXPECT_EQ(ResolveSettingsPath(exe, "", nullptr, nullptr), exe + "/qv003.ini");
  // Otherwise the user's configuration folder, created when missing.
  ::chmod(exe.c_str(), 0555);
  if (!FolderIsWritable(exe)) {  // (root may write anywhere)
    EXPECT_EQ(ResolveSettingsPath(exe, nullptr, dir.File("xdg").c_str(), "/nonexistent"),
              dir.File("xdg") + "/quivara/qv003.ini");
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("xdg") + "/quivara"));
    EXPECT_EQ(ResolveSettingsPath(exe, nullptr, nullptr, dir.Path().c_str()),
              dir.Path() + "/.config/quivara/qv003.ini");
  }
  ::chmod(exe.c_str(), 0755);
}

// An installed program (bin/ beside libexec/quivara/, as the Debian package puts it under
// /usr) keeps each user's settings in the user's configuration folder even when its own
// folder can be written, as /usr/bin can by root; a build folder or a folder of its own
// still holds the file.
TEST(AppSettings, InstalledProgramNeverWritesBesideItself) {
  qvtest::TempDir dir;
  const std::string prefix = dir.File("usr");
  std::filesystem::create_directories(prefix + "/bin");
  std::filesystem::create_directories(prefix + "/libexec/quivara");
  ASSERT_TRUE(FolderIsWritable(prefix + "/bin"));
  for (const std::string& exe : {prefix + "/bin", prefix + "/bin/"}) {
    EXPECT_EQ(ResolveSettingsPath(exe, nullptr, dir.File("xdg").c_str(), "/nonexistent"),
              dir.File("xdg") + "/quivara/qv003.ini");
  }
  EXPECT_FALSE(std::filesystem::exists(prefix + "/bin/qv003.ini"));
  // The file named in the environment still wins.
  EXPECT_EQ(ResolveSettingsPath(prefix + "/bin", (dir.Path() + "/other.ini").c_str(), nullptr, nullptr),
            dir.File("other.ini"));
  // A libexec folder of another program does not count.
  std::filesystem::remove_all(prefix + "/libexec/quivara");
  std::filesystem::create_directories(prefix + "/libexec/other");
  EXPECT_EQ(ResolveSettingsPath(prefix + "/bin", nullptr, dir.File("xdg").c_str(), nullptr), prefix + "/bin/qv003.ini");
}

TEST(AppSettings, DefaultsWithoutAFile) {
  qvtest::TempDir dir;
  TStartUpValues v = ReadStartUpValues(dir.File("none.ini"));
  EXPECT_EQ(v.RenderType, 2);
  EXPECT_EQ(v.Radius, 6);
  EXPECT_EQ(v.Repetition, 0);
  EXPECT_FALSE(v.FixAuto);
  EXPECT_TRUE(v.FixManual);
  EXPECT_FALSE(v.InvSelection);
  EXPECT_TRUE(v.WizardOnStart);
  EXPECT_EQ(v.MainScrColor, 40);
  EXPECT_EQ(v.MainScrBlend, 10);
  EXPECT_TRUE(v.AllowPopUpCandidates);
  EXPECT_EQ(v.ShowBestCandidates, 5);
  EXPECT_TRUE(v.AllowFastJpg);
  EXPECT_TRUE(v.DetailedBackground);
  EXPECT_EQ(ReadOpenOnStart(dir.File("none.ini")), TOpenOnStart::Nothing);
}

TEST(AppSettings, RenderModeAndOpenOnStart) {
  EXPECT_EQ(RenderTypeFromMode("TopBottom"), 0);
  EXPECT_EQ(RenderTypeFromMode("Random"), 1);
  EXPECT_EQ(RenderTypeFromMode("Smart"), 2);
  EXPECT_EQ(RenderTypeFromMode("topbottom"), 2);  // compared exactly
  qvtest::TempDir dir;
  std::string ini = dir.File("qv003.ini");
  IniWriteString(ini, "StartUp", "OpenOnStart", "Base");
  EXPECT_EQ(ReadOpenOnStart(ini), TOpenOnStart::LastBase);
  IniWriteString(ini, "startup", "openonstart", "Project");
  EXPECT_EQ(ReadOpenOnStart(ini), TOpenOnStart::LastProject);
  IniWriteString(ini, "StartUp", "OpenOnStart", "Yes");
  EXPECT_EQ(ReadOpenOnStart(ini), TOpenOnStart::Nothing);
}

TEST(AppSettings, StateWrittenAndReadBack) {
  qvtest::TempDir dir;
  std::string ini = dir.File("qv003.ini");
  TMainWindowState s;
  s.LastBase = "/l/lib.qv2";
  s.LastProject = "/p/x.qvp";
  s.Radius = 3;
  s.Repetition = 7;
  s.FixAuto = true;
  s.FixManual = false;
  s.InvSelection = true;
  s.Orientations = {true, false, true, false};  // original and 180
  s.MainScrColor = 70;
  s.MainScrBlend = 30;
  WriteMainWindowState(ini, s);
  TStartUpValues v = ReadStartUpValues(ini);
  EXPECT_EQ(v.Radius, 3);
  EXPECT_EQ(v.Repetition, 7);
  EXPECT_TRUE(v.FixAuto);
  EXPECT_FALSE(v.FixManual);
  EXPECT_TRUE(v.InvSelection);
  EXPECT_EQ(v.MainScrColor, 70);
  EXPECT_EQ(v.MainScrBlend, 30);
  EXPECT_EQ(ReadLastBase(ini), "/l/lib.qv2");
  EXPECT_EQ(ReadLastProject(ini), "/p/x.qvp");
  EXPECT_EQ(IniReadString(ini, "Advanced", "Use180Flip", ""), "1");
  EXPECT_EQ(IniReadString(ini, "Advanced", "UseVFlip", ""), "0");
  EXPECT_EQ(IniReadString(ini, "Advanced", "UseOriginalFlip", ""), "1");
  // A wrong value reads as the default.
  IniWriteString(ini, "Render", "Radius", "abc");
  EXPECT_EQ(ReadStartUpValues(ini).Radius, 6);
}

TEST(AppSettings, RememberedFolders) {
  qvtest::TempDir dir;
  std::string ini = dir.File("qv003.ini");
  EXPECT_EQ(LastPathFolder(ini, kLastPathProject), dir.Path() + "/");  // the settings file's folder
  RememberLastPath(ini, kLastPathLibrary, "/data/libs/flowers.qv2");
  EXPECT_EQ(LastPathFolder(ini, kLastPathLibrary), "/data/libs/");
  EXPECT_EQ(IniReadString(ini, "LastPath", "Library", ""), "/data/libs/");
}

// An installed program keeps its settings in ~/.config/quivara; its file dialogs then start in
// the home folder, not in that hidden folder (where a new library or mosaic would be lost
// from sight). A settings file anywhere else still gives its own folder.
TEST(AppSettings, FileDialogsOfAnInstalledProgramStartAtHome) {
  qvtest::TempDir dir;
  const std::string home = dir.File("home");
  const std::string inConfig = ResolveSettingsPath(dir.File("usr-bin-not-writable"), nullptr, nullptr, home.c_str());
  ASSERT_EQ(inConfig, home + "/.config/quivara/qv003.ini");
  EXPECT_EQ(DefaultFileFolder(inConfig, nullptr, home.c_str()), home);
  EXPECT_EQ(DefaultFileFolder(inConfig, "", home.c_str()), home);
  // Through XDG_CONFIG_HOME, and with a folder name written another way.
  const std::string xdg = dir.File("xdg");
  const std::string viaXdg = ResolveSettingsPath(dir.File("none"), nullptr, xdg.c_str(), home.c_str());
  EXPECT_EQ(DefaultFileFolder(viaXdg, (dir.Path() + "/./xdg/").c_str(), home.c_str()), home);
  // The file beside the program, or named by QUIVARA_SETTINGS: its folder.
  EXPECT_EQ(DefaultFileFolder(dir.File("bin/qv003.ini"), nullptr, home.c_str()), dir.File("bin"));
  EXPECT_EQ(DefaultFileFolder(dir.File("other/my.ini"), xdg.c_str(), home.c_str()), dir.File("other"));
  // No usable home: the settings folder all the same.
  EXPECT_EQ(DefaultFileFolder(inConfig, nullptr, nullptr), home + "/.config/quivara");
}

}  // namespace
}  // namespace qv
