// The real Dialogs: Qt message boxes, the open-file dialog and the About
// box. Created by main.cpp; every modal dialog of refdesk goes through here.
#pragma once

#include <QString>
#include <memory>

#include "refdesk/dialogs.h"

class QWidget;

namespace refdesk {

class TAboutBox;

// A filter of description|pattern pairs as Qt's file dialog takes them:
// "description (patterns);;…", a pattern in capitals also matching its lower
// case (this file system tells them apart) and "*.*" matching every name.
QString ToQtFilter(std::string_view filter);

class QtDialogs : public Dialogs {
 public:
  QtDialogs();
  ~QtDialogs() override;
  // The window the dialogs belong to; they are centred on it.
  void SetOwner(QWidget* owner) { owner_ = owner; }

  Answer Show(const Message& message) override;
  std::optional<std::string> Browse(const BrowseRequest& request) override;
  void ShowAbout() override;

 private:
  QWidget* owner_ = nullptr;
  std::unique_ptr<TAboutBox> about_;
};

}  // namespace refdesk
