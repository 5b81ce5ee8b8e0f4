#pragma once
// Window tests reach a window's controls by their objectName, the control's name ("SpinRadius2",
// "Openqvp1"), as the windows keep their widgets to themselves.
#include <QObject>
#include <QString>
#include <QtGlobal>

namespace qvtest {

// The descendant of parent named name; the test program stops with a message when there is
// none of that type.
template <class T>
T* Child(const QObject& parent, const char* name) {
  T* child = parent.findChild<T*>(QString::fromLatin1(name));
  if (!child) qFatal("%s has no child %s of the type asked for", qPrintable(parent.objectName()), name);
  return child;
}
template <class T>
T* Child(const QObject* parent, const char* name) {
  return Child<T>(*parent, name);
}

}  // namespace qvtest
