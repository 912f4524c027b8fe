#pragma once

#include "gui/MessageBox.h"

#include <string>
#include <vector>

namespace vidtrawl::testing {

// A message box that records what it was asked to show and gives a fixed answer.
class RecordingMessageBox final : public gui::MessageBox {
public:
  struct Shown {
    std::string text;
    Buttons buttons;
    Icon icon;
    std::string title;
    std::string checkBox;
  };
  using gui::MessageBox::Show;
  Answer ShowMessage(const Message &message) override {
    shown.push_back({message.text, message.buttons, message.icon, message.title, message.checkBox});
    if (message.checked != nullptr)
      *message.checked = tick;
    return answer;
  }
  std::vector<Shown> shown;
  Answer answer = Answer::Ok;
  bool tick = false; // whether the user ticks a message's check box
};

} // namespace vidtrawl::testing
