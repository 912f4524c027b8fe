#include "gui/PassStatus.h"

#include "gui/RunTexts.h"

namespace vidtrawl::gui {
namespace {

constexpr int kTickMillis = 500;

} // namespace

PassStatus::PassStatus(engine::Engine &engine, QObject *parent) : QObject(parent), engine_(engine) {
  ticker_.setInterval(kTickMillis);
  connect(&ticker_, &QTimer::timeout, this, [this] { Update(); });
  engine_.Subscribe(this);
  Update();
}

PassStatus::~PassStatus() {
  engine_.Unsubscribe(this);
}

void PassStatus::ItemChanged(std::size_t) {
  // While a pass runs the line follows it at the ticker's pace.
  if (!ticker_.isActive())
    Update();
}

void PassStatus::Update() {
  const bool downloading = engine_.Downloading();
  if (downloading && !ticker_.isActive())
    ticker_.start();
  else if (!downloading)
    ticker_.stop();
  std::string text = PassLine(engine_.Counts(), engine_.Progress());
  std::string limit = LimitText(engine_.Settings().speedLimit);
  if (text == text_ && limit == limit_)
    return;
  text_ = std::move(text);
  limit_ = std::move(limit);
  emit textChanged();
}

} // namespace vidtrawl::gui
