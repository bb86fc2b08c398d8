// Test doubles for refdesk: dialogs that answer at once and remember what
// they were asked, a shell that records what it would open, a process runner
// that records its requests and returns chosen exit statuses, and a window
// made of plain fields for the convert flows.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "refdesk/dialogs.h"
#include "refdesk/form_view.h"
#include "refdesk/process_runner.h"
#include "refdesk/shell.h"

namespace refdesk_test {

class FakeDialogs : public refdesk::Dialogs {
 public:
  refdesk::Answer Show(const refdesk::Message& message) override {
    shown.push_back(message);
    if (!answers.empty()) {
      const refdesk::Answer answer = answers.front();
      answers.pop_front();
      return answer;
    }
    return message.buttons == refdesk::MessageButtons::kYesNo ? refdesk::Answer::kYes
                                                              : refdesk::Answer::kOk;
  }
  std::optional<std::string> Browse(const refdesk::BrowseRequest& request) override {
    browsed.push_back(request);
    return browse_result;
  }
  void ShowAbout() override { ++about_shown; }

  // Answers to give, in order; once used up, Yes for questions and OK else.
  std::deque<refdesk::Answer> answers;
  std::optional<std::string> browse_result;
  std::vector<refdesk::Message> shown;
  std::vector<refdesk::BrowseRequest> browsed;
  int about_shown = 0;
};

class FakeShell : public refdesk::Shell {
 public:
  bool OpenFile(const std::string& path) override {
    opened.push_back(path);
    return true;
  }
  bool OpenAddress(const std::string& address) override {
    opened.push_back(address);
    return true;
  }
  std::vector<std::string> opened;
};

class FakeRunner : public refdesk::ProcessRunner {
 public:
  // What a started tool does before it ends: runs `effect` with the request
  // (for example to write the destination) and returns the next status.
  std::unique_ptr<refdesk::RunningProcess> Start(const refdesk::ProcessRequest& request) override {
    requests.push_back(request);
    if (refuse_start) return nullptr;
    int status = 0;
    if (!statuses.empty()) {
      status = statuses.front();
      statuses.pop_front();
    }
    return std::make_unique<Process>(*this, request, status);
  }

  std::vector<refdesk::ProcessRequest> requests;
  std::deque<int> statuses;
  bool refuse_start = false;
  std::function<void(const refdesk::ProcessRequest&)> effect;

 private:
  class Process : public refdesk::RunningProcess {
   public:
    Process(FakeRunner& owner, refdesk::ProcessRequest request, int status)
        : owner_(owner), request_(std::move(request)), status_(status) {}
    int Wait() override {
      if (owner_.effect) owner_.effect(request_);
      return status_;
    }

   private:
    FakeRunner& owner_;
    refdesk::ProcessRequest request_;
    int status_;
  };
};

// A window of plain fields. History entries are kept per field, newest
// first, without the control's trimming rules.
class FakeView : public refdesk::FormView {
 public:
  refdesk::FormSnapshot Read() const override { return form; }
  void SetFieldText(refdesk::HistoryField field, const std::string& text) override {
    Text(field) = text;
    events.push_back("set " + Name(field) + " " + text);
  }
  void AddHistory(refdesk::HistoryField field) override {
    events.push_back("history " + Name(field));
  }
  void SetStatusText(const std::string& text) override { status = text; }
  void SetButtonEnabled(refdesk::RunButton button, bool enabled) override {
    events.push_back(std::string(enabled ? "enable " : "disable ") +
                     (button == refdesk::RunButton::kTable ? "Button3" : "Button6"));
  }

  static std::string Name(refdesk::HistoryField field) {
    switch (field) {
      case refdesk::HistoryField::kWorkbook:
        return "HisComboBox1";
      case refdesk::HistoryField::kTable:
        return "HisComboBox2";
      case refdesk::HistoryField::kSourceTable:
        return "HisComboBox3";
      case refdesk::HistoryField::kBibliography:
        break;
    }
    return "HisComboBox4";
  }
  std::string& Text(refdesk::HistoryField field) {
    switch (field) {
      case refdesk::HistoryField::kWorkbook:
        return form.workbook;
      case refdesk::HistoryField::kTable:
        return form.table;
      case refdesk::HistoryField::kSourceTable:
        return form.source_table;
      case refdesk::HistoryField::kBibliography:
        break;
    }
    return form.bibliography;
  }

  refdesk::FormSnapshot form;
  std::string status;
  std::vector<std::string> events;
};

}  // namespace refdesk_test
