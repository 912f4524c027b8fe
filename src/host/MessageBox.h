#pragma once

#include <string>

namespace vidtrawl::host {

// Modal messages carrying the application's title "Vidtrawl".
class MessageBox {
public:
  enum class Buttons { Ok, YesNo };
  enum class Answer { Ok, Yes, No };
  virtual ~MessageBox() = default;
  virtual Answer Show(const std::string &text, Buttons buttons = Buttons::Ok) = 0;
};

} // namespace vidtrawl::host
