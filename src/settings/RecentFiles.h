#pragma once
// The three recent-file lists (projects, libraries, source pictures): five full file names
// each, most recent first, kept in the settings file and nowhere else.
#include <array>
#include <string>

namespace qv {

enum class TRecentKind { Project, Library, Image };
inline constexpr int kRecentCount = 5;
using TRecentList = std::array<std::string, kRecentCount>;

// The list a file belongs on, by its extension compared without regard to case: ".QVP" the
// projects, ".QV2" the libraries, anything else the source pictures.
TRecentKind RecentKindOf(const std::string& fileName);

// Section and key names: "Recentprojects"/"Recentproject1".., "Recentlibrarys"/
// "Recentlibrary1".., "RecentImages"/"RecentImage1".. (index 0-based here).
std::string RecentSection(TRecentKind kind);
std::string RecentKey(TRecentKind kind, int index);

// A missing key reads as an empty entry.
TRecentList ReadRecentList(const std::string& settingsPath, TRecentKind kind);
// Writes all five entries, empty ones as empty values.
void WriteRecentList(const std::string& settingsPath, TRecentKind kind, const TRecentList& list);

// Moves name to the front: unchanged (false) when it already is entry 1 (compared exactly);
// otherwise it is taken out where it stands, or entry 5 is dropped, and the entries above the
// freed place move down by one.
bool MoveToFront(TRecentList& list, const std::string& name);

// Reads the list of name's kind, moves name to the front and writes the list back when it
// changed. Returns true when it changed; list receives the list as it now is.
bool InsertRecentFile(const std::string& settingsPath, const std::string& name, TRecentList& list);

}  // namespace qv
