#include "controls/OffThreadWork.h"

#include <QApplication>
#include <QThread>
#include <atomic>
#include <exception>
#include <thread>

namespace qv {

void RunOffTheWindowThread(const std::function<void()>& work, const std::function<void()>& eachTurn) {
  std::atomic<bool> done{false};
  std::exception_ptr error;
  std::thread worker([&] {
    try {
      work();
    } catch (...) {
      error = std::current_exception();
    }
    done = true;
  });
  while (!done) {
    if (eachTurn) eachTurn();
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    if (!done) QThread::msleep(5);
  }
  worker.join();
  if (error) std::rethrow_exception(error);
}

}  // namespace qv
