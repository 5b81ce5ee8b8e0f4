#include "settings/PreferenceSettings.h"

#include "settings/AppSettings.h"
#include "settings/IniFile.h"
#include "settings/RecentFiles.h"

namespace qv {

namespace {
constexpr char kStartUp[] = "StartUp";
constexpr char kRender[] = "Render";
constexpr char kAdvanced[] = "Advanced";
}  // namespace

const char* StartChoiceValue(TStartChoice choice) {
  switch (choice) {
    case TStartChoice::LastBase:
      return "Base";
    case TStartChoice::LastProject:
      return "Project";
    case TStartChoice::Blank:
      break;
  }
  return "No";
}

const char* RenderModeName(int renderType) {
  if (renderType == 0) return "TopBottom";
  if (renderType == 1) return "Random";
  return "Smart";
}

TPreferenceValues ReadPreferenceValues(const std::string& path) {
  TPreferenceValues v;
  v.OpenOnStart = TStartChoice::Blank;
  if (IniReadString(path, kStartUp, "OpenOnStart", "Base") == "Base") v.OpenOnStart = TStartChoice::LastBase;
  if (IniReadString(path, kStartUp, "OpenOnStart", "Project") == "Project") v.OpenOnStart = TStartChoice::LastProject;
  v.WizardOnStart = IniReadBool(path, kStartUp, "WizardOnStart", true);
  v.RememberBlendSetting = IniReadBool(path, kStartUp, "RememberBlendSetting", false);
  v.RenderType = RenderTypeFromMode(IniReadString(path, kStartUp, "DefaultMosaicMode", "Smart"));
  v.AllowStretchTiles = IniReadBool(path, kStartUp, "AllowStretchTiles", false);
  v.AllowFlipRotate = IniReadBool(path, kAdvanced, "AllowFlipRotate", false);
  v.AllowPopUpCandidates = IniReadBool(path, kAdvanced, "AllowPopUpCndidates", true);
  v.CandidateCount = ReadCandidateCount(path);
  v.AllowFastJpg = IniReadBool(path, kAdvanced, "AllowFastJpg", true);
  v.DetailedBackground = IniReadBool(path, kAdvanced, "DetailedBackground", true);
  return v;
}

void WritePreferenceValues(const std::string& path, const TPreferenceValues& v) {
  IniWriteString(path, kStartUp, "OpenOnStart", StartChoiceValue(v.OpenOnStart));
  IniWriteBool(path, kStartUp, "WizardOnStart", v.WizardOnStart);
  IniWriteBool(path, kStartUp, "RememberBlendSetting", v.RememberBlendSetting);
  IniWriteString(path, kStartUp, "DefaultMosaicMode", RenderModeName(v.RenderType));
  IniWriteBool(path, kStartUp, "AllowStretchTiles", v.AllowStretchTiles);
  IniWriteBool(path, kAdvanced, "AllowFlipRotate", v.AllowFlipRotate);
  IniWriteBool(path, kAdvanced, "AllowPopUpCndidates", v.AllowPopUpCandidates);
  IniWriteInt(path, kAdvanced, "ShowBestCndidates", v.CandidateCount);
  IniWriteBool(path, kAdvanced, "AllowFastJpg", v.AllowFastJpg);
  IniWriteBool(path, kAdvanced, "DetailedBackground", v.DetailedBackground);
}

void WriteDefaultRunSettings(const std::string& path) {
  IniWriteInt(path, kRender, "Radius", 6);
  IniWriteInt(path, kRender, "Repetition", 0);
  IniWriteBool(path, kRender, "FixAuto", false);
  IniWriteBool(path, kRender, "FixManual", true);
  IniWriteBool(path, kRender, "InvSelection", false);
  IniWriteBool(path, kAdvanced, "UseOriginalFlip", true);
  IniWriteBool(path, kAdvanced, "UseHFlip", false);
  IniWriteBool(path, kAdvanced, "UseVFlip", false);
  IniWriteBool(path, kAdvanced, "Use180Flip", false);
}

void WriteDefaultAdvancedValues(const std::string& path) {
  IniWriteBool(path, kAdvanced, "AllowFlipRotate", false);
  IniWriteBool(path, kAdvanced, "AllowPopUpCndidates", true);
  IniWriteInt(path, kAdvanced, "ShowBestCndidates", kDefaultCandidateCount);
  IniWriteBool(path, kAdvanced, "AllowFastJpg", true);
  IniWriteBool(path, kAdvanced, "DetailedBackground", true);
}

void ClearRecentLists(const std::string& path) {
  for (TRecentKind kind : {TRecentKind::Project, TRecentKind::Library, TRecentKind::Image})
    WriteRecentList(path, kind, TRecentList{});
}

bool SettingsValueIs(const std::string& path, const std::string& section, const std::string& key,
                     const std::string& value) {
  // Two different defaults: a missing key can match neither.
  return IniReadString(path, section, key, value + "\x01") == value &&
         IniReadString(path, section, key, value + "\x02") == value;
}

}  // namespace qv
