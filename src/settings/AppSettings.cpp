#include "settings/AppSettings.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "base/FileUtil.h"
#include "settings/IniFile.h"

namespace qv {

namespace {

constexpr char kStartUp[] = "StartUp";
constexpr char kRender[] = "Render";
constexpr char kAdvanced[] = "Advanced";
constexpr char kLastPath[] = "LastPath";

// An integer key whose value must lie in [low, high]; anything else gives def.
int32_t ReadIntInRange(const std::string& path, const char* section, const char* key, int32_t def, int32_t low,
                       int32_t high) {
  const int32_t v = IniReadInt(path, section, key, def);
  return v < low || v > high ? def : v;
}

std::string WithSlash(std::string folder) {
  if (folder.empty()) folder = ".";
  if (folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

bool FolderIsWritable(const std::string& folder) {
  return !folder.empty() && DirectoryExists(folder) && ::access(folder.c_str(), W_OK) == 0;
}

bool IsInstalledProgramDir(const std::string& exeDir) {
  return !exeDir.empty() && DirectoryExists(WithSlash(exeDir) + "../libexec/quivara");
}

std::string UserConfigFolder(const char* xdgConfigHome, const char* home) {
  std::string config;
  if (xdgConfigHome && *xdgConfigHome)
    config = xdgConfigHome;
  else
    config = std::string(home && *home ? home : ".") + "/.config";
  return WithSlash(config) + "quivara";
}

std::string ResolveSettingsPath(const std::string& exeDir, const char* quivaraSettings, const char* xdgConfigHome,
                                const char* home) {
  if (quivaraSettings && *quivaraSettings) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(quivaraSettings, ec);
    return ec ? std::string(quivaraSettings) : p.lexically_normal().string();
  }
  if (FolderIsWritable(exeDir) && !IsInstalledProgramDir(exeDir)) return WithSlash(exeDir) + kSettingsFileName;
  const std::string folder = UserConfigFolder(xdgConfigHome, home);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return folder + "/" + kSettingsFileName;
}

std::string ResolveSettingsPath(const std::string& exeDir) {
  return ResolveSettingsPath(exeDir, std::getenv("QUIVARA_SETTINGS"), std::getenv("XDG_CONFIG_HOME"),
                             std::getenv("HOME"));
}

uint8_t RenderTypeFromMode(const std::string& defaultMosaicMode) {
  if (defaultMosaicMode == "TopBottom") return 0;
  if (defaultMosaicMode == "Random") return 1;
  return 2;
}

TStartUpValues ReadStartUpValues(const std::string& path) {
  TStartUpValues v;
  v.RenderType = RenderTypeFromMode(IniReadString(path, kStartUp, "DefaultMosaicMode", "Smart"));
  v.Radius = ReadIntInRange(path, kRender, "Radius", 6, 0, 999999999);
  v.Repetition = ReadIntInRange(path, kRender, "Repetition", 0, 0, 999999);
  v.FixAuto = IniReadBool(path, kRender, "FixAuto", false);
  v.FixManual = IniReadBool(path, kRender, "FixManual", true);
  v.InvSelection = IniReadBool(path, kRender, "InvSelection", false);
  v.WizardOnStart = IniReadBool(path, kStartUp, "WizardOnStart", true);
  v.MainScrColor = ReadIntInRange(path, kAdvanced, "MainScrColor", 40, 0, 100);
  v.MainScrBlend = ReadIntInRange(path, kAdvanced, "MainScrBlend", 10, 0, 100);
  v.AllowPopUpCandidates = IniReadBool(path, kAdvanced, "AllowPopUpCndidates", true);
  v.ShowBestCandidates = ReadCandidateCount(path);
  v.AllowFastJpg = IniReadBool(path, kAdvanced, "AllowFastJpg", true);
  v.DetailedBackground = IniReadBool(path, kAdvanced, "DetailedBackground", true);
  v.AllowStretchTiles = IniReadBool(path, kStartUp, "AllowStretchTiles", false);
  v.AllowFlipRotate = IniReadBool(path, kAdvanced, "AllowFlipRotate", false);
  return v;
}

int32_t ReadCandidateCount(const std::string& path) {
  return ReadIntInRange(path, kAdvanced, "ShowBestCndidates", 5, 1, 999999);
}

TOpenOnStart ReadOpenOnStart(const std::string& path) {
  std::string what = IniReadString(path, kStartUp, "OpenOnStart", "No");
  if (what == "Base") return TOpenOnStart::LastBase;
  if (what == "Project") return TOpenOnStart::LastProject;
  return TOpenOnStart::Nothing;
}

std::string ReadLastBase(const std::string& path) { return IniReadString(path, kStartUp, "LastBase", ""); }
std::string ReadLastProject(const std::string& path) { return IniReadString(path, kStartUp, "LastProject", ""); }

void WriteMainWindowState(const std::string& path, const TMainWindowState& s) {
  IniWriteString(path, kStartUp, "LastBase", s.LastBase);
  IniWriteString(path, kStartUp, "LastProject", s.LastProject);
  IniWriteInt(path, kRender, "Radius", s.Radius);
  IniWriteInt(path, kRender, "Repetition", s.Repetition);
  IniWriteBool(path, kRender, "FixAuto", s.FixAuto);
  IniWriteBool(path, kRender, "FixManual", s.FixManual);
  IniWriteBool(path, kRender, "InvSelection", s.InvSelection);
  IniWriteBool(path, kAdvanced, "UseOriginalFlip", s.Orientations[0]);
  IniWriteBool(path, kAdvanced, "UseHFlip", s.Orientations[1]);
  IniWriteBool(path, kAdvanced, "UseVFlip", s.Orientations[3]);
  IniWriteBool(path, kAdvanced, "Use180Flip", s.Orientations[2]);
  IniWriteInt(path, kAdvanced, "MainScrColor", s.MainScrColor);
  IniWriteInt(path, kAdvanced, "MainScrBlend", s.MainScrBlend);
}

std::string DefaultFileFolder(const std::string& settingsPath, const char* xdgConfigHome, const char* home) {
  const std::string folder = ExtractFileDir(settingsPath);
  std::error_code ec;
  const bool inConfig = std::filesystem::equivalent(folder, UserConfigFolder(xdgConfigHome, home), ec);
  if (inConfig && home && *home && DirectoryExists(home)) return home;
  return folder;
}

std::string LastPathFolder(const std::string& path, const std::string& key) {
  std::string folder = IniReadString(path, kLastPath, key, "");
  if (folder.empty()) folder = DefaultFileFolder(path, std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
  return WithSlash(folder);
}

void RememberLastPath(const std::string& path, const std::string& key, const std::string& fileName) {
  IniWriteString(path, kLastPath, key, WithSlash(ExtractFileDir(fileName)));
}

}  // namespace qv
