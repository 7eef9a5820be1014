#pragma once
// Answers real modal dialogs shown with exec(). Each queued step runs on the next modal
// window that comes up, once its modal loop runs, and must close it. A window that comes up
// with no step left, a step that waits in vain, and a step that leaves its window open each
// fail the test and close the window, so a test never hangs on a dialog.
//
//   ModalDriver modals;
//   modals.answer(*add, [&](RecordForm& f) { f.AddButton->click(); });
//   main->AddSpeedButtonClick();

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

namespace kitrova::testing {

class ModalDriver : public QObject {
 public:
  using Step = std::function<void(QWidget&)>;

  // `wait` bounds how long a step waits for its window while an event loop runs.
  explicit ModalDriver(std::chrono::milliseconds wait = std::chrono::seconds(5));
  ~ModalDriver() override;  // fails for every step that never ran
  ModalDriver(const ModalDriver&) = delete;
  ModalDriver& operator=(const ModalDriver&) = delete;

  // The next modal window must be `expected`; `step` gets it (or no argument).
  template <typename Window, typename F>
  ModalDriver& answer(Window& expected, F step) {
    push(&expected, [&expected, step = std::move(step)](QWidget&) mutable {
      if constexpr (std::is_invocable_v<F&, Window&>) {
        step(expected);
      } else {
        step();
      }
    });
    return *this;
  }

  // The next modal window, whatever it is, as a `Window` (e.g. QMessageBox, QFileDialog).
  template <typename Window, typename F>
  ModalDriver& answerAny(F step) {
    push(nullptr, [step = std::move(step)](QWidget& w) mutable {
      auto* window = qobject_cast<Window*>(&w);
      if (window == nullptr) {
        ADD_FAILURE() << "the modal window is a " << w.metaObject()->className() << ", not a "
                      << Window::staticMetaObject.className();
        return;
      }
      step(*window);
    });
    return *this;
  }

  // Modal windows seen so far, answered or not; of one window only.
  int shown() const { return shownTotal_; }
  int shown(const QWidget& window) const;
  bool done() const { return steps_.empty(); }

 private:
  struct Pending {
    QWidget* expected;
    Step step;
  };

  void push(QWidget* expected, Step step);
  void poll();
  void run(QWidget* raw, const QPointer<QWidget>& window, const Step& step);
  void restartWait();

  std::chrono::milliseconds wait_;
  std::chrono::steady_clock::time_point deadline_;
  std::deque<Pending> steps_;
  std::vector<QWidget*> busy_;  // windows whose step is running
  std::map<const QWidget*, int> shownBy_;
  int shownTotal_ = 0;
  QTimer poller_;
};

// Shows `dialog` with exec(), runs `step` once its modal loop runs, and returns the result.
template <typename Dialog, typename F>
int ExecModal(Dialog& dialog, F step) {
  ModalDriver modals;
  modals.answer(dialog, std::move(step));
  return static_cast<QDialog&>(dialog).exec();
}

}  // namespace kitrova::testing
