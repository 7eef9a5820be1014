#include "support/ModalDriver.h"

#include <QApplication>

#include <algorithm>
#include <string>

namespace kitrova::testing {

namespace {

std::string Describe(const QWidget* w) {
  std::string text = w->metaObject()->className();
  if (!w->windowTitle().isEmpty()) text += " \"" + w->windowTitle().toStdString() + "\"";
  return text;
}

void Close(QWidget* w) {
  if (auto* dialog = qobject_cast<QDialog*>(w)) {
    dialog->reject();
  } else {
    w->close();
  }
}

}  // namespace

ModalDriver::ModalDriver(std::chrono::milliseconds wait) : wait_(wait) {
  restartWait();
  // Polled rather than watched through show events: the step must run inside the window's
  // own modal loop, which exists only after exec() has shown it.
  poller_.setInterval(5);
  connect(&poller_, &QTimer::timeout, this, &ModalDriver::poll);
  poller_.start();
}

ModalDriver::~ModalDriver() {
  poller_.stop();
  EXPECT_TRUE(steps_.empty()) << steps_.size() << " modal step(s) never ran";
}

int ModalDriver::shown(const QWidget& window) const {
  const auto it = shownBy_.find(&window);
  return it == shownBy_.end() ? 0 : it->second;
}

void ModalDriver::push(QWidget* expected, Step step) {
  if (steps_.empty()) restartWait();
  steps_.push_back({expected, std::move(step)});
}

void ModalDriver::restartWait() {
  deadline_ = std::chrono::steady_clock::now() + wait_;
}

void ModalDriver::poll() {
  QWidget* window = QApplication::activeModalWidget();
  if (window == nullptr || !window->isVisible() ||
      std::find(busy_.begin(), busy_.end(), window) != busy_.end()) {
    if (!steps_.empty() && std::chrono::steady_clock::now() > deadline_) {
      ADD_FAILURE() << "no modal window came up within " << wait_.count() << " ms";
      steps_.pop_front();
      restartWait();
    }
    return;
  }
  ++shownTotal_;
  ++shownBy_[window];
  if (steps_.empty()) {
    ADD_FAILURE() << "a modal window came up with no step to answer it: " << Describe(window);
    Close(window);
    return;
  }
  Pending next = std::move(steps_.front());
  steps_.pop_front();
  if (next.expected != nullptr && next.expected != window) {
    ADD_FAILURE() << "expected " << Describe(next.expected) << " to come up, but "
                  << Describe(window) << " did";
    Close(window);
    return;
  }
  // The step runs from a timer of its own, so this one keeps polling for windows the step
  // itself opens.
  busy_.push_back(window);
  QTimer::singleShot(
      0, this, [this, window, guarded = QPointer<QWidget>(window), step = std::move(next.step)] {
        run(window, guarded, step);
      });
}

void ModalDriver::run(QWidget* raw, const QPointer<QWidget>& window, const Step& step) {
  if (window) step(*window);
  busy_.erase(std::remove(busy_.begin(), busy_.end(), raw), busy_.end());
  if (window && window->isVisible()) {
    ADD_FAILURE() << "the step left " << Describe(window) << " open";
    Close(window);
  }
  restartWait();
}

}  // namespace kitrova::testing
