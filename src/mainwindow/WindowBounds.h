#pragma once
// Window bounds in the settings file: one value "Left,Top,Right,Bottom" (the window's client
// rectangle on the screen, Right and Bottom exclusive), and the size a window takes when the
// file holds none (the first start, or after the settings were reset).
#include <QRect>
#include <QSize>
#include <string>

class QWidget;

namespace qv {

// Writes w's bounds under section/key.
void SaveWindowBounds(const std::string& file, const std::string& section, const std::string& key, const QWidget* w);
// Applies the stored bounds to w and returns true; false (w unchanged) when the value is
// missing, has fewer than four numbers or reversed corners. A fixed-size window takes only
// Left and Top and keeps the size its content gives it. Bounds that lie on no screen keep the
// window's size and place. A malformed number raises EQuivara.
bool RestoreWindowBounds(const std::string& file, const std::string& section, const std::string& key, QWidget* w,
                         bool fixedSize = false);

// The main window's bounds on a first start: three quarters of the available area (each side
// times the square root of 3/4), centred on it, never smaller than minimum nor larger than the
// area.
QRect FirstStartBounds(const QRect& available, const QSize& minimum);
// The area of the screen w is on, less the desktop's panels.
QRect AvailableArea(const QWidget* w);
// Gives a window without stored bounds its first size: the designed size grown to what its
// laid-out content asks for (sizeHint), so that nothing is clipped at larger fonts, and kept
// within the available area. Call it once the window's controls are built.
void ResizeToContent(QWidget* w, QSize designed);
// A dialog's place on opening: its first size (ResizeToContent), then the bounds stored under
// section/key when the settings hold usable ones; damaged bounds keep the first size.
void PlaceDialog(QWidget* w, QSize designed, const std::string& file, const std::string& section,
                 const std::string& key);

}  // namespace qv
