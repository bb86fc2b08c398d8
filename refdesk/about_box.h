// TAboutBox: the About box of the Help menu, with the product name, the
// version and the rights notice. Created once by the real dialogs and shown
// modally on demand.
#pragma once

#include <QDialog>

class QPushButton;

namespace refdesk {

inline constexpr int kAboutWidth = 275;
inline constexpr int kAboutHeight = 201;

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit TAboutBox(QWidget* parent = nullptr);

  QPushButton* OKButton = nullptr;
};

}  // namespace refdesk
