#include "outputui/TileNotFoundDlg.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "mainwindow/HelpWindow.h"
#include "mainwindow/Prompts.h"
#include "output/RenderSettings.h"

namespace qv {

TTileNotFoundDlg::TTileNotFoundDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("TileNotFoundDlg");
  setWindowTitle("File not found.");
  // A title bar without buttons: the dialog ends only through its own buttons.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  SetHelpContext(this, kHelpContext);

  Label3 = new QLabel("Can't find a file:", this);
  Label3->setObjectName("Label3");
  Label1 = new QLabel(this);
  Label1->setObjectName("Label1");
  Label1->setAlignment(Qt::AlignHCenter);
  Label1->setWordWrap(true);
  Label1->setTextInteractionFlags(Qt::TextSelectableByMouse);
  QFont bold = Label1->font();
  bold.setBold(true);
  Label1->setFont(bold);
  Label2 =
      new QLabel("Do you like to replace original tile picture with smaller thumbnail stored in the library?", this);
  Label2->setObjectName("Label2");
  Label2->setWordWrap(true);

  struct Button {
    QPushButton*& field;
    const char* name;
    const char* caption;
    int result;
  };
  const Button buttons[] = {{BitBtn1, "BitBtn1", "Replace", kAnswerReplace},
                            {BitBtn2, "BitBtn2", "Replace all rest", kAnswerReplaceAllRest},
                            {BitBtn3, "BitBtn3", "Auto", kAnswerAuto},
                            {BitBtn4, "BitBtn4", "Cancel", kAnswerCancel},
                            {BitBtn5, "BitBtn5", "Auto replace with source", kAnswerAutoSource},
                            {BitBtn6, "BitBtn6", "Help", 0}};
  auto* grid = new QGridLayout;
  int i = 0;
  for (const Button& b : buttons) {
    b.field = new QPushButton(b.caption, this);
    b.field->setObjectName(b.name);
    b.field->setAutoDefault(false);
    if (b.result) {
      const int result = b.result;
      connect(b.field, &QPushButton::clicked, this, [this, result] { done(result); });
    }
    grid->addWidget(b.field, i / 3, i % 3);
    ++i;
  }
  connect(BitBtn6, &QPushButton::clicked, this, [] { ShowHelpTopic(kHelpContext); });
  BitBtn3->setDefault(true);

  auto* main = new QVBoxLayout(this);
  main->addWidget(Label3);
  main->addWidget(Label1);
  main->addWidget(Label2);
  main->addSpacing(6);
  main->addLayout(grid);
  setMinimumWidth(460);
}

void TTileNotFoundDlg::SetFileName(const QString& fileName) { Label1->setText(fileName); }

void TTileNotFoundDlg::OfferSourceAnswer(bool offer) { BitBtn5->setVisible(offer); }

int TTileNotFoundDlg::AskTileNotFound(const std::string& fileName, bool offerSource, QWidget* parent) {
  TTileNotFoundDlg dialog(parent);
  dialog.SetFileName(FromCore(fileName));
  dialog.OfferSourceAnswer(offerSource);
  dialog.adjustSize();
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect r = dialog.frameGeometry();
    r.moveCenter(screen->availableGeometry().center());
    dialog.move(r.topLeft());
  }
  const int result = Prompts().ExecDialog(dialog);
  switch (result) {
    case kAnswerReplace:
    case kAnswerReplaceAllRest:
    case kAnswerAuto:
      return result;
    case kAnswerAutoSource:
      return offerSource ? result : kAnswerAuto;
    default:
      return kAnswerCancel;
  }
}

}  // namespace qv
