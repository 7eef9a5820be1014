#include "ui/uAboutForm.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

#include <utility>

namespace kitrova::ui {

namespace {
constexpr int kAboutInterval = 1000;

bool IsLeftPress(const QEvent* event) {
  return event->type() == QEvent::MouseButtonPress &&
         static_cast<const QMouseEvent*>(event)->button() == Qt::LeftButton;
}
}  // namespace

TAboutForm::TAboutForm(std::filesystem::path programFolder, platform::Dialogs& dialogs,
                       QWidget* parent)
    : TForm1(std::move(programFolder), dialogs, std::nullopt, kAboutInterval, parent) {
  WatchClicks();
}

TAboutForm::TAboutForm(std::filesystem::path programFolder, platform::Dialogs& dialogs,
                       const SystemFacts& facts, QWidget* parent)
    : TForm1(std::move(programFolder), dialogs, std::optional<SystemFacts>(facts), kAboutInterval,
             parent) {
  WatchClicks();
}

void TAboutForm::WatchClicks() {
  setObjectName(QStringLiteral("AboutForm"));
  for (QLabel* label : {Label1, Label2, Label3, Label4, Label5, PhysMem, FreeRes, Image1}) {
    label->installEventFilter(this);
  }
}

void TAboutForm::FormClick() {
  reject();
}
void TAboutForm::Image1Click() {
  reject();
}
void TAboutForm::Label1Click() {
  reject();
}
void TAboutForm::Label2Click() {
  reject();
}
void TAboutForm::Label3Click() {
  reject();
}
void TAboutForm::PhysMemClick() {
  reject();
}
void TAboutForm::FreeResClick() {
  reject();
}

void TAboutForm::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    FormClick();
    event->accept();
    return;
  }
  TForm1::mousePressEvent(event);
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* event) {
  if (!IsLeftPress(event)) return TForm1::eventFilter(watched, event);
  if (watched == Image1) {
    Image1Click();
  } else if (watched == Label1) {
    Label1Click();
  } else if (watched == Label2) {
    Label2Click();
  } else if (watched == Label3) {
    Label3Click();
  } else if (watched == PhysMem) {
    PhysMemClick();
  } else if (watched == FreeRes) {
    FreeResClick();
  } else if (watched == Label4 || watched == Label5) {
    // These two have no handler of their own; a click there closes the window all the same.
    FormClick();
  } else {
    return TForm1::eventFilter(watched, event);
  }
  return true;
}

}  // namespace kitrova::ui
