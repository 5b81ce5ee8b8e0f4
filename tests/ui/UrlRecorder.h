#pragma once
// Records the links the program hands to the desktop (web pages, mail, files) instead of
// opening them: QDesktopServices calls the recorder for the schemes it is installed for.
#include <QDesktopServices>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <vector>

namespace qvtest {

class TUrlRecorder : public QObject {
  Q_OBJECT
 public:
  explicit TUrlRecorder(const QStringList& schemes = {"http", "https", "mailto", "file"}) : schemes_(schemes) {
    for (const QString& s : schemes_) QDesktopServices::setUrlHandler(s, this, "Open");
  }
  ~TUrlRecorder() override {
    for (const QString& s : schemes_) QDesktopServices::unsetUrlHandler(s);
  }
  std::vector<QUrl> Urls;

 public slots:
  void Open(const QUrl& url) { Urls.push_back(url); }

 private:
  QStringList schemes_;
};

}  // namespace qvtest
