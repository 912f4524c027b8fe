#pragma once

#include <QActionGroup>
#include <QMenu>

#include <cstdint>
#include <functional>

namespace vidtrawl::gui {

// "Speed Limit": the most all downloads together receive a second, chosen
// among a few steps (the one set, when it is none of them, stays among
// them). It holds at once, also for the downloads running.
class SpeedLimitMenu final : public QMenu {
public:
  using Get = std::function<std::uint64_t()>;
  using Set = std::function<void(std::uint64_t bytesPerSecond)>;

  SpeedLimitMenu(Get get, Set set, QWidget *parent = nullptr);

  // The entries, with the limit set now checked.
  void Refresh();

private:
  Get get_;
  Set set_;
  QActionGroup group_;
};

} // namespace vidtrawl::gui
