#pragma once
// Makes a widget and gives it the control's name as its objectName, by which the window's own
// code and the tests find it ("ChkFixAuto", "Edit1"...).
#include <utility>

namespace qv {

template <class Widget, class... Args>
Widget* MakeNamed(const char* name, Args&&... args) {
  auto* w = new Widget(std::forward<Args>(args)...);
  w->setObjectName(name);
  return w;
}

}  // namespace qv
