#pragma once

#include <string>

namespace vidtrawl::gui {

// Modal messages. The title is the application's, "Vidtrawl", unless a
// message names another.
class MessageBox {
public:
  // KeepDeleteCancel: what becomes of an unfinished download's bytes ("Keep Partial Files",
  // "Delete Them", "Cancel"; Keep the default, Escape Cancel).
  enum class Buttons { Ok, YesNo, KeepDeleteCancel };
  enum class Icon { None, Error, Exclamation, Question };
  enum class Answer { Ok, Yes, No, Keep, Delete, Cancel };

  static constexpr const char *kAppTitle = "Vidtrawl";

  struct Message {
    std::string text;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    std::string title = kAppTitle;
    // A check box under the text ("Do not ask again"); empty: none. Whether
    // the user ticked it goes to `checked`.
    std::string checkBox = {};
    bool *checked = nullptr;
    // YesNo: the buttons' own words, where Yes and No would not say what each does; empty: Yes, No.
    std::string yes = {};
    std::string no = {};
  };

  virtual ~MessageBox() = default;
  virtual Answer ShowMessage(const Message &message) = 0;

  Answer Show(const std::string &text, Buttons buttons = Buttons::Ok, Icon icon = Icon::None) {
    return ShowMessage(Message{text, buttons, icon, kAppTitle});
  }
};

} // namespace vidtrawl::gui
