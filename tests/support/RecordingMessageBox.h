#pragma once

#include "host/MessageBox.h"

#include <string>
#include <vector>

namespace vidtrawl::testing {

// A message box that records what it was asked to show and gives a fixed answer.
class RecordingMessageBox final : public host::MessageBox {
public:
  struct Shown {
    std::string text;
    Buttons buttons;
  };
  Answer Show(const std::string &text, Buttons buttons) override {
    shown.push_back({text, buttons});
    return answer;
  }
  std::vector<Shown> shown;
  Answer answer = Answer::Ok;
};

} // namespace vidtrawl::testing
