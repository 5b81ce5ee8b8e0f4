#pragma once
// Window bounds in the settings file: one value "Left,Top,Right,Bottom" (the window's client
// rectangle on the screen, Right and Bottom exclusive).
#include <string>

class QWidget;

namespace qv {

// Writes w's bounds under section/key.
void SaveWindowBounds(const std::string& file, const std::string& section, const std::string& key, const QWidget* w);
// Applies the stored bounds to w: nothing when the value is missing, has fewer than four
// numbers or reversed corners; a fixed-size window takes only Left and Top. Bounds that lie
// on no screen keep the window's size and place. A malformed number raises EQuivara.
void RestoreWindowBounds(const std::string& file, const std::string& section, const std::string& key, QWidget* w,
                         bool fixedSize = false);

}  // namespace qv
