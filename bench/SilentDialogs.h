#pragma once
// For benchmarks of windows: answers every box with its first button, cancels every chooser.

#include "platform/Dialogs.h"

namespace kitrova::bench {

class SilentDialogs final : public platform::Dialogs {
 public:
  platform::MessageAnswer message(QWidget*, platform::MessageKind, const QString&,
                                  platform::MessageButtons buttons) override {
    return buttons == platform::MessageButtons::Ok ? platform::MessageAnswer::Ok
                                                   : platform::MessageAnswer::Yes;
  }
  QString chooseFolder(QWidget*, const QString&) override { return {}; }
  QString openFile(QWidget*, const platform::FileDialogOptions&) override { return {}; }
  void openWithShell(const QString&) override {}
};

}  // namespace kitrova::bench
