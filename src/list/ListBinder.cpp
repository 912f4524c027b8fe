#include "list/ListBinder.h"

#include "host/MessageBox.h"
#include "host/Pump.h"
#include "list/DownloadList.h"
#include "list/ErrorReport.h"
#include "listview/FormatDownloadGrid.h"
#include "listview/Grid.h"

#include <exception>
#include <string>

namespace vidtrawl::list {

namespace {

using Clock = std::chrono::steady_clock;

// The clock is read only every this many records.
constexpr std::size_t kClockEvery = 32;

// The Video_URL column shows at most this many characters.
constexpr std::size_t kShownUrlCharacters = 219;

constexpr char kFillError[] = "An error occured while filling the Download list";

} // namespace

ListBinder::ListBinder(DownloadList &items, listview::Grid &grid, host::Pump &pump,
                       host::MessageBox &messages, scheduler::WindowState &state)
    : items_(items), grid_(grid), pump_(pump), messages_(messages), state_(state) {}

bool ListBinder::BindList() {
  if (bBindBusy_)
    return false;
  std::exception_ptr error;
  if (items_.IsListEmpty()) {
    try {
      grid_.SetDataSource(nullptr);
      return false;
    } catch (...) {
      error = std::current_exception();
    }
  } else {
    bBindBusy_ = true;
    try {
      auto recordset = std::make_unique<DownloadRecordset>();
      Fill(*recordset);
      rsDownloadList_ = std::move(recordset);
    } catch (...) {
      error = std::current_exception();
    }
    if (!error) {
      rsDownloadList_->MoveFirst();
      FormatDownloadGrid(false);
      bBindBusy_ = false;
      return true;
    }
    bBindBusy_ = false;
  }

  // The grid keeps showing its previous recordset.
  try {
    std::rethrow_exception(error);
  } catch (const listview::GridUnavailable &) {
    return false;
  } catch (...) {
  }
  const ErrorReport report = DescribeError(error);
  messages_.Show(std::string(kFillError) + "\r" + std::to_string(report.number) + ":" +
                     report.description,
                 host::MessageBox::Buttons::Ok);
  return false;
}

void ListBinder::Fill(DownloadRecordset &recordset) {
  const std::size_t count = items_.Count();
  recordset.Reserve(count);
  const bool everyRecord = yieldInterval_ <= std::chrono::nanoseconds::zero();
  Clock::time_point lastYield{};
  auto yield = [&] {
    pump_.Yield();
    if (!everyRecord)
      lastYield = Clock::now();
  };

  for (std::size_t i = 0; i < count; ++i) {
    if (i == 0 || everyRecord ||
        (i % kClockEvery == 0 && Clock::now() - lastYield >= yieldInterval_))
      yield();
    // Items removed while events ran are not shown: stop at the current end.
    if (i >= items_.Count())
      break;
    const DownloadItem &item = items_[i];
    recordset.AddNew();
    recordset.SetID(item.ID);
    recordset.SetText(DownloadRecordset::Video_URL,
                      FirstCharacters(item.Video_URL, kShownUrlCharacters));
    recordset.SetText(DownloadRecordset::FileName, item.FileName);
    recordset.SetText(DownloadRecordset::Status, item.Status);
    recordset.SetText(DownloadRecordset::FileSize, item.FileSize);
  }
  if (everyRecord || Clock::now() - lastYield >= yieldInterval_)
    yield();
}

bool ListBinder::FormatDownloadGrid(bool bInit) {
  return listview::FormatDownloadGrid(grid_, rsDownloadList_.get(), state_, bInit);
}

} // namespace vidtrawl::list
