#pragma once

#include "base/FileDescriptor.h"
#include "engine/Engine.h"
#include "host/BackgroundFileWriter.h"

#include <QObject>
#include <QTimer>

#include <filesystem>
#include <memory>
#include <string>

namespace vidtrawl::gui {

// Keeps the desktop's download list between runs: reads it when asked (at start) and writes it
// when items are added, removed or moved, a second after an item's record changes (its name, its
// phase; never for the bytes of a transfer), and once more when it goes. The writing is off the
// loop: behind gigabytes of downloads a flush to the disk takes seconds. One program keeps the
// list: the one that holds the lock beside it ("list.json.lock", naming the holder's session),
// whatever session of the user the others run in.
class ListKeeper final : public QObject, public engine::ItemObserver {
public:
  ListKeeper(engine::Engine &engine, host::EventLoop &loop, std::filesystem::path file,
             QObject *parent = nullptr);
  ~ListKeeper() override;

  // Reads the kept list into the engine's; what the user should be told (empty: nothing). A list
  // that another session's program keeps is neither read nor written: this program's list starts
  // empty and is not kept, as the note says.
  std::string Load(const std::string &session = {});
  // Writes now what is waiting to be written.
  void Flush();

  void ItemChanged(std::size_t) override { Changed(); }
  void ItemsAdded(std::size_t, std::size_t) override { Reordered(); }
  void ItemsRemoved(std::size_t, std::size_t) override { Reordered(); }
  void ItemsSwapped(std::size_t) override { Reordered(); }
  void ListReset() override { Reordered(); }

private:
  void Changed();
  void Reordered();

  engine::Engine &engine_;
  host::EventLoop &loop_;
  std::filesystem::path file_;
  std::unique_ptr<host::BackgroundFileWriter> writer_; // made at the first writing
  base::FileDescriptor lock_;
  QTimer delay_;
  bool loading_ = false;
};

// What a reading of the kept list tells the user; empty: nothing.
std::string ListReadText(const engine::ListRead &read, const std::filesystem::path &file);

} // namespace vidtrawl::gui
