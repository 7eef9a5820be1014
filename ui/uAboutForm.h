#pragma once
// The About window: the splash window as a modal dialog that closes on a click.

#include "ui/uSplash.h"

namespace kitrova::ui {

class TAboutForm : public TForm1 {
  Q_OBJECT
 public:
  TAboutForm(std::filesystem::path programFolder, platform::Dialogs& dialogs,
             QWidget* parent = nullptr);
  TAboutForm(std::filesystem::path programFolder, platform::Dialogs& dialogs,
             const SystemFacts& facts, QWidget* parent = nullptr);

 public slots:
  void FormClick();
  void Image1Click();
  void Label1Click();
  void Label2Click();
  void Label3Click();
  void PhysMemClick();
  void FreeResClick();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Every label and the picture pass their left clicks to the handlers above.
  void WatchClicks();
};

}  // namespace kitrova::ui
