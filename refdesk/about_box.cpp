#include "refdesk/about_box.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "refdesk/messages.h"
#include "refdesk/qt_text.h"

namespace refdesk {
namespace {

inline constexpr int kIconSize = 32;
// The same small type as the main window, so the rights notice fits.
inline constexpr int kFontPixels = 12;

QLabel* AddLine(QWidget* panel, std::string_view text, int top) {
  auto* label = new QLabel(ToQt(text), panel);
  label->move(56, top);
  label->adjustSize();
  return label;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(ToQt(msg::kAboutCaption));
  setFixedSize(kAboutWidth, kAboutHeight);
  QFont small = font();
  small.setPixelSize(kFontPixels);
  setFont(small);

  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setGeometry(8, 8, 259, 143);

  auto* icon = new QLabel(panel);
  icon->setObjectName(QStringLiteral("ProgramIcon"));
  const QIcon program_icon = QApplication::windowIcon().isNull()
                                 ? style()->standardIcon(QStyle::SP_FileDialogDetailedView)
                                 : QApplication::windowIcon();
  icon->setPixmap(program_icon.pixmap(kIconSize, kIconSize));
  icon->setGeometry(8, 8, kIconSize, kIconSize);

  AddLine(panel, msg::kProductName, 16)->setObjectName(QStringLiteral("ProductName"));
  AddLine(panel, msg::kVersionLine, 40)->setObjectName(QStringLiteral("Version"));
  AddLine(panel, msg::kRightsLine1, 80)->setObjectName(QStringLiteral("Copyright"));
  AddLine(panel, msg::kRightsLine2, 104)->setObjectName(QStringLiteral("Comments"));

  OKButton = new QPushButton(ToQt(msg::kOkButton), this);
  OKButton->setObjectName(QStringLiteral("OKButton"));
  OKButton->setGeometry(111, 164, 65, 27);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

  if (const QScreen* screen = QApplication::primaryScreen()) {
    move(screen->geometry().center() - rect().center());
  }
}

}  // namespace refdesk
