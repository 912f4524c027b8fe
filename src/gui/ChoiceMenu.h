#pragma once

#include <QActionGroup>
#include <QMenu>

#include <functional>
#include <string>
#include <vector>

namespace vidtrawl::gui {

// A setting chosen among a few steps, the one set checked (when it is none
// of them it stays among them, in its place); a step taken holds at once.
// The first step stands apart ("No Limit").
class ChoiceMenu : public QMenu {
public:
  struct Step {
    QString text;
    std::string value;
  };
  using Steps = std::function<std::vector<Step>(const std::string &current)>;
  using Get = std::function<std::string()>;
  using Set = std::function<void(const std::string &value)>;

  ChoiceMenu(const QString &title, Steps steps, Get get, Set set, QWidget *parent = nullptr);

  // The entries, with the value set now checked.
  void Refresh();

private:
  Steps steps_;
  Get get_;
  Set set_;
  QActionGroup group_;
};

// "Speed Limit": the most all downloads together receive a second.
class SpeedLimitMenu final : public ChoiceMenu {
public:
  SpeedLimitMenu(std::function<std::uint64_t()> get, std::function<void(std::uint64_t)> set,
                 QWidget *parent = nullptr);
};

} // namespace vidtrawl::gui
