#include "mainwindow/SplashForm.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QMouseEvent>
#include <QScreen>
#include <QUrl>
#include <QUrlQuery>

#include "base/Product.h"
#include "mainwindow/HelpWindow.h"
#include "mainwindow/Prompts.h"
#include "mainwindow/Resources.h"
#include "settings/AppSettings.h"

namespace qv {

TLinkLabel::TLinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
  QFont f = font();
  f.setBold(true);
  f.setUnderline(true);
  setFont(f);
  QPalette pal = palette();
  pal.setColor(QPalette::WindowText, QColor(0xa0, 0xa0, 0xa0));
  setPalette(pal);
  setCursor(Qt::PointingHandCursor);
}

void TLinkLabel::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) {
    e->accept();
    emit Clicked();
    return;
  }
  QLabel::mousePressEvent(e);
}

TSplashForm::TSplashForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  InitQuivaraResources();
  setObjectName("SplashForm");
  setWindowTitle(kApplicationTitle);
  setFixedSize(kClientWidth, kClientHeight);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::black);
  setPalette(pal);

  Image1 = new QLabel(this);
  Image1->setObjectName("Image1");
  Image1->setPixmap(ArtworkPixmap("logo"));
  Image1->setGeometry(0, 8, 241, 242);
  Image2 = new QLabel(this);
  Image2->setObjectName("Image2");
  Image2->setPixmap(ArtworkPixmap("banner"));
  Image2->setGeometry(kClientWidth - 380 - 4, 18, 380, 137);

  Label1 = new QLabel(kVersionCaption, this);
  Label1->setObjectName("Label1");
  QFont bold = Label1->font();
  bold.setBold(true);
  bold.setPointSize(bold.pointSize() + 2);
  Label1->setFont(bold);
  QPalette yellow = Label1->palette();
  yellow.setColor(QPalette::WindowText, Qt::yellow);
  Label1->setPalette(yellow);

  Label7 = new TLinkLabel(QUrl(kProductUrl).host(), this);
  Label7->setObjectName("Label7");
  Label7->setToolTip(kProductUrl);
  Label3 = new TLinkLabel(kSupportMail, this);
  Label3->setObjectName("Label3");
  connect(Label7, &TLinkLabel::Clicked, this, &TSplashForm::Label7Click);
  connect(Label3, &TLinkLabel::Clicked, this, &TSplashForm::Label3Click);

  // FormCreate
  SetHelpContext(this, 1);
  Label1->setText(Label1->text() + " (d)");
  const int right = kClientWidth - 24;
  Label1->adjustSize();
  Label1->move(right - Label1->width(), 166);
  Label7->adjustSize();
  Label7->move(right - Label7->width(), 200);
  Label3->adjustSize();
  Label3->move(right - Label3->width(), 224);

  QString exeDir = QCoreApplication::applicationDirPath();
  QDir::setCurrent(exeDir);
  settingsPath_ = ResolveSettingsPath(ToCore(exeDir));
  CentreOnScreen();
}

void TSplashForm::CentreOnScreen() {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect area = screen->availableGeometry();
  move(area.center() - QPoint(width() / 2, height() / 2));
}

void TSplashForm::ShowAndPaint() {
  show();
  raise();
  repaint();
  QCoreApplication::processEvents();
}

void TSplashForm::ShowAbout() {
  CentreOnScreen();
  exec();
}

void TSplashForm::FormClick() {
  if (isModal())
    accept();
  else
    hide();
}

void TSplashForm::mousePressEvent(QMouseEvent* e) {
  e->accept();
  FormClick();
}

void TSplashForm::Label7Click() { QDesktopServices::openUrl(QUrl(kProductUrl)); }

void TSplashForm::Label3Click() {
  QUrl mail(QString("mailto:") + kSupportMail);
  QUrlQuery query;
  query.addQueryItem("subject", kSupportMailSubject);
  mail.setQuery(query);
  QDesktopServices::openUrl(mail);
}

}  // namespace qv
