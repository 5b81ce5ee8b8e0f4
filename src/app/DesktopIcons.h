#pragma once
// The icons the desktop shows for the program and for its two file types. Each icon is a
// short list of flat shapes on a 64 x 64 canvas, so one drawing gives both the PNG files
// at every size of the icon theme and the scalable SVG file.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

namespace qv {

// The icon names, as the icon theme and the MIME package know them: "quivara" (the
// program), "application-x-quivara-project" (.qvp) and "application-x-quivara-library" (.qv2).
QStringList DesktopIconNames();
// The folder of the icon theme an icon belongs to: "apps" or "mimetypes".
QString DesktopIconContext(const QString& name);
// The pixel sizes the PNG files are drawn at.
QList<int> DesktopIconSizes();

// The icon as a square picture of size x size pixels with a transparent background.
QImage DrawDesktopIcon(const QString& name, int size);
// The icon as an SVG document.
QByteArray DesktopIconSvg(const QString& name);

}  // namespace qv
