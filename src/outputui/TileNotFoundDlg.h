#pragma once
// TTileNotFoundDlg: the question a picture writer asks when a tile's picture file is
// missing ("File not found."). The modal result is the answer: 1 "Replace", 2 "Replace all
// rest", 3 "Auto", 4 "Cancel", 6 "Auto replace with source"; what each means belongs to the
// writer (kAnswer* of the renderer). "Help" opens help topic 22 and gives no result.
#include <QDialog>
#include <string>

class QLabel;
class QPushButton;

namespace qv {

class TTileNotFoundDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 22;

  explicit TTileNotFoundDlg(QWidget* parent = nullptr);

  void SetFileName(const QString& fileName);
  // Hides or shows "Auto replace with source" (BitBtn5).
  void OfferSourceAnswer(bool offer);

  // Asks about one missing file through the program's prompts. A dialog closed without an
  // answer counts as "Cancel".
  static int AskTileNotFound(const std::string& fileName, bool offerSource, QWidget* parent = nullptr);

 private:
  QLabel* Label3;
  QLabel* Label1;
  QLabel* Label2;
  QPushButton* BitBtn1;
  QPushButton* BitBtn2;
  QPushButton* BitBtn3;
  QPushButton* BitBtn4;
  QPushButton* BitBtn5;
  QPushButton* BitBtn6;
};

}  // namespace qv
