#pragma once
// TSplashForm: the splash window shown while the program starts and the "About..." box
// afterwards. Borderless, black, always on top, centred, with the logo, the banner, the
// version and two links (web page, support e-mail). A click anywhere else closes it.
//
// Creating it fixes the program's folder as the current folder and finds the settings file
// (SettingsPath), so it must be the first window the program creates; the program hands the
// path on to the main window.
#include <QDialog>
#include <QLabel>
#include <string>

namespace qv {

// A label that looks like a link (grey, bold, underlined, hand cursor) and calls Clicked.
class TLinkLabel : public QLabel {
  Q_OBJECT
 public:
  explicit TLinkLabel(const QString& text, QWidget* parent = nullptr);
 signals:
  void Clicked();

 protected:
  void mousePressEvent(QMouseEvent* e) override;
};

class TSplashForm : public QDialog {
  Q_OBJECT
 public:
  explicit TSplashForm(QWidget* parent = nullptr);

  // Shows the window at once and paints it before start-up goes on.
  void ShowAndPaint();
  // "About...": shows the window modally until it is clicked.
  void ShowAbout();
  // Closes the window (a click anywhere but on the links).
  void FormClick();
  // The full name of the settings file, found when the window was created.
  const std::string& SettingsPath() const { return settingsPath_; }

  static constexpr int kClientWidth = 595;
  static constexpr int kClientHeight = 258;

 protected:
  void mousePressEvent(QMouseEvent* e) override;

 private:
  void CentreOnScreen();
  void Label7Click();
  void Label3Click();

  QLabel* Image1;      // logo, 241 x 242
  QLabel* Image2;      // banner, 380 x 137
  QLabel* Label1;      // version, "V 3.00 (d)"
  TLinkLabel* Label7;  // the web page
  TLinkLabel* Label3;  // e-mail to support
  std::string settingsPath_;
};

}  // namespace qv
