#include "outputui/OutputRun.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <exception>
#include <memory>

#include "mainwindow/Prompts.h"

namespace qv {

WriteOutcome RunOffUiThread(const std::function<WriteOutcome(const RenderCallbacks&)>& job,
                            std::atomic<bool>* stopRequested, const TOutputRunView& view) {
  std::atomic<int64_t> done{-1}, total{0};
  QObject receiver;  // lives on this thread: the target of the writer's queued calls

  RenderCallbacks cb;
  cb.StopRequested = stopRequested;
  cb.OnProgress = [&done, &total](int64_t d, int64_t t) {
    total.store(t);
    done.store(d);
  };
  cb.OnStatus = [&receiver, &view](const std::string& text) {
    if (!view.Status) return;
    QMetaObject::invokeMethod(
        &receiver, [&view, t = FromCore(text)] { view.Status(t); }, Qt::QueuedConnection);
  };
  cb.AskTileNotFound = [&receiver, &view](const std::string& file, bool offerSource) {
    int answer = kAnswerCancel;
    if (view.AskTileNotFound)
      QMetaObject::invokeMethod(
          &receiver, [&] { answer = view.AskTileNotFound(file, offerSource); }, Qt::BlockingQueuedConnection);
    return answer;
  };

  WriteOutcome outcome;
  std::exception_ptr error;
  std::unique_ptr<QThread> worker(QThread::create([&] {
    try {
      outcome = job(cb);
    } catch (...) {
      error = std::current_exception();
    }
  }));
  worker->setObjectName("OutputWriter");

  int64_t shown = -1;
  auto showProgress = [&] {
    const int64_t d = done.load();
    if (d != shown && d >= 0 && view.Progress) view.Progress(shown = d, total.load());
  };
  QEventLoop loop;
  QTimer timer;
  timer.setInterval(50);
  QObject::connect(&timer, &QTimer::timeout, &loop, showProgress);
  QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
  worker->start();
  timer.start();
  if (!worker->isFinished()) loop.exec();
  worker->wait();
  timer.stop();
  // Status texts still queued for this thread arrive before the outcome is handed back.
  QCoreApplication::sendPostedEvents(&receiver, QEvent::MetaCall);
  showProgress();
  if (error) std::rethrow_exception(error);
  return outcome;
}

}  // namespace qv
