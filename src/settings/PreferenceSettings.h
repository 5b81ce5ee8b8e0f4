#pragma once
// The keys the preferences dialog shows and writes ("StartUp" and "Advanced"), the run
// settings its reset writes, and the clearing of the recent-file lists. Qt-free; each value is
// one access to the settings file, as everywhere.
#include <string>

namespace qv {

// What opens at start ("OpenOnStart"): "No", "Base" or "Project".
enum class TStartChoice { Blank, LastBase, LastProject };
const char* StartChoiceValue(TStartChoice choice);
// The render mode's name ("DefaultMosaicMode") of render type 0, 1, 2: "TopBottom",
// "Random", "Smart".
const char* RenderModeName(int renderType);

inline constexpr int kMinCandidateCount = 1;
inline constexpr int kMaxCandidateCount = 999999;
inline constexpr int kDefaultCandidateCount = 5;

struct TPreferenceValues {
  TStartChoice OpenOnStart = TStartChoice::LastProject;
  bool WizardOnStart = true;
  bool RememberBlendSetting = false;
  int RenderType = 2;
  bool AllowStretchTiles = false;
  bool AllowFlipRotate = false;
  bool AllowPopUpCandidates = true;
  int CandidateCount = kDefaultCandidateCount;
  bool AllowFastJpg = true;
  bool DetailedBackground = true;
};

// The values as the dialog opens on them. "OpenOnStart" is compared twice, first read with
// the default "Base", then with the default "Project", the later match winning: a file
// without the key shows "Open last project" (while the start-up itself opens nothing).
TPreferenceValues ReadPreferenceValues(const std::string& settingsPath);
// Writes every key of the dialog ("Save").
void WritePreferenceValues(const std::string& settingsPath, const TPreferenceValues& values);

// The keys "Reset all settings to default" writes for the main window's run settings:
// Distance 6, Repeat 0, "Fix custom" alone ticked, only the original orientation.
void WriteDefaultRunSettings(const std::string& settingsPath);
// The advanced keys the same reset writes: no flips, the candidate pop-up with 5 tiles, fast
// JPEG scanning and the detailed background on ("AllowStretchTiles" stays).
void WriteDefaultAdvancedValues(const std::string& settingsPath);
// Empties the fifteen recent-file keys.
void ClearRecentLists(const std::string& settingsPath);

// True when key holds value: a write that did not reach the file (a settings file that may
// not be written) reads back otherwise.
bool SettingsValueIs(const std::string& settingsPath, const std::string& section, const std::string& key,
                     const std::string& value);

}  // namespace qv
