#pragma once
// Constants of the desktop program and the keys of the settings file that the main
// window reads at start and writes back when it closes. Qt-free: every access goes through
// the INI routines, one access per call, nothing cached.
#include <array>
#include <cstdint>
#include <string>

namespace qv {

// The caption of the main window and of the program's message boxes.
inline constexpr char AppTitle[] = "Quivara 3";
// The application title (task bar, the default error box).
inline constexpr char kApplicationTitle[] = "Quivara";
inline constexpr char kSettingsFileName[] = "qv003.ini";

// Where the settings file lives: the file named by QUIVARA_SETTINGS when that is set and not
// empty; otherwise exeDir + "/qv003.ini" when exeDir is writable and not an installed
// program's folder; otherwise $XDG_CONFIG_HOME/quivara/qv003.ini (default
// ~/.config/quivara/), whose folder is created.
// The arguments are the values of the environment variables (nullptr when unset).
std::string ResolveSettingsPath(const std::string& exeDir, const char* quivaraSettings, const char* xdgConfigHome,
                                const char* home);
// The user's own settings folder: $XDG_CONFIG_HOME/quivara, or ~/.config/quivara.
std::string UserConfigFolder(const char* xdgConfigHome, const char* home);
// The same with the process's environment.
std::string ResolveSettingsPath(const std::string& exeDir);
bool FolderIsWritable(const std::string& folder);
// Whether exeDir is the bin folder of an install prefix (libexec/quivara beside it): such a
// folder is shared by every user of the machine and belongs to the package manager, so no
// settings are written there, not even by a user who may write it (root, or a user's own
// prefix).
bool IsInstalledProgramDir(const std::string& exeDir);

// ---- Start-up values (read by the main window when it is created) ----
// "TopBottom" 0, "Random" 1, anything else 2 (smart).
uint8_t RenderTypeFromMode(const std::string& defaultMosaicMode);

struct TStartUpValues {
  uint8_t RenderType = 2;
  int32_t Radius = 6;      // Distance
  int32_t Repetition = 0;  // Repeat, 0 = "Auto"
  bool FixAuto = false;
  bool FixManual = true;
  bool InvSelection = false;
  bool WizardOnStart = true;
  int32_t MainScrColor = 40;
  int32_t MainScrBlend = 10;
  bool AllowPopUpCandidates = true;
  int32_t ShowBestCandidates = 5;
  bool AllowFastJpg = true;
  bool DetailedBackground = true;
  bool AllowStretchTiles = false;  // the preferences' "Allow stretch tiles"
  bool AllowFlipRotate = false;    // the preferences' "Allow flip/rotate tiles"
};
// Every value outside its field's range (a damaged or hand-edited file) reads as its default.
TStartUpValues ReadStartUpValues(const std::string& settingsPath);
// "ShowBestCndidates": 1 to 999999, else 5.
int32_t ReadCandidateCount(const std::string& settingsPath);

// What to open at start ("OpenOnStart"): the last library, the last project, or nothing.
enum class TOpenOnStart { Nothing, LastBase, LastProject };
TOpenOnStart ReadOpenOnStart(const std::string& settingsPath);
std::string ReadLastBase(const std::string& settingsPath);
std::string ReadLastProject(const std::string& settingsPath);

// The main window's state written back when it closes.
struct TMainWindowState {
  std::string LastBase;     // the open library's file name, empty when none
  std::string LastProject;  // the open project's file name, empty when none
  int32_t Radius = 6;
  int32_t Repetition = 0;
  bool FixAuto = false;
  bool FixManual = true;
  bool InvSelection = false;
  std::array<bool, 4> Orientations{true, false, false, false};  // Original, H, 180, V
  int32_t MainScrColor = 40;
  int32_t MainScrBlend = 10;
};
void WriteMainWindowState(const std::string& settingsPath, const TMainWindowState& state);

// ---- Remembered folders ("LastPath") ----
inline constexpr char kLastPathProject[] = "Project";
inline constexpr char kLastPathLibrary[] = "Library";
inline constexpr char kLastPathSource[] = "Source";
inline constexpr char kLastPathMosaic[] = "Mosaic";
// Where a file dialog starts when no folder is remembered: the settings file's folder, except
// when that is the user's own settings folder (an installed program), where nobody keeps
// pictures or mosaics: then the home folder. The arguments are the environment's values.
std::string DefaultFileFolder(const std::string& settingsPath, const char* xdgConfigHome, const char* home);
// The folder remembered under key (with a trailing "/"); DefaultFileFolder when none.
std::string LastPathFolder(const std::string& settingsPath, const std::string& key);
// Remembers the folder of fileName under key.
void RememberLastPath(const std::string& settingsPath, const std::string& key, const std::string& fileName);

}  // namespace qv
