#pragma once
// The settings file: a Windows-style initialisation file of [section] lines and key=value
// lines, section and key names compared without regard to case. Each call opens the file,
// reads or writes one value and closes it; nothing is cached. Failures are swallowed and a
// failed read returns the default.
#include <optional>
#include <string>

#include "base/Geometry.h"

namespace qv {

std::string IniReadString(const std::string& file, const std::string& section, const std::string& key,
                          const std::string& def);
int IniReadInt(const std::string& file, const std::string& section, const std::string& key, int def);
bool IniReadBool(const std::string& file, const std::string& section, const std::string& key, bool def);
void IniWriteString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value);
void IniWriteInt(const std::string& file, const std::string& section, const std::string& key, int value);
void IniWriteBool(const std::string& file, const std::string& section, const std::string& key, bool value);

// The text form of window bounds: "Left,Top,Right,Bottom" in decimal.
std::string FormatWindowBounds(const Rect& bounds);
// Parses the stored text as RestoreWindowBounds does: nothing (empty optional) for an empty
// value, fewer than four numbers, or Right < Left / Bottom < Top. Throws EQuivara on a
// malformed number.
std::optional<Rect> ParseWindowBounds(const std::string& text);

}  // namespace qv
