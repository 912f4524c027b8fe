#include "list/ListBinder.h"

#include "host/Grid.h"
#include "host/MessageBox.h"
#include "host/Pump.h"
#include "list/DownloadList.h"
#include "list/ErrorReport.h"
#include "list/FormatDownloadGrid.h"

#include <exception>
#include <string>

namespace vidtrawl::list {

namespace {

using Clock = std::chrono::steady_clock;

// The clock is read only every this many records.
constexpr std::size_t kClockEvery = 32;

// The Video_URL column shows at most this many characters.
constexpr std::size_t kShownUrlCharacters = 219;

// A rebuild repeats itself at most this often for changes made while it
// filled, so a host that changes the list at every yield cannot hold it.
constexpr int kMaxRounds = 8;

constexpr char kFillError[] = "An error occured while filling the Download list";

} // namespace

ListBinder::ListBinder(DownloadList &items, host::Grid &grid, host::Pump &pump,
                       host::MessageBox &messages)
    : items_(items), grid_(grid), pump_(pump), messages_(messages) {}

bool ListBinder::BindList() {
  if (bBindBusy_) {
    // Dropped, but not forgotten: the outer rebuild runs once more when it
    // is done, so the grid never keeps showing rows whose IDs now name
    // other items.
    bRebindPending_ = true;
    return false;
  }
  bool result = false;
  for (int round = 0; round < kMaxRounds; ++round) {
    bRebindPending_ = false;
    bFillFailed_ = false;
    result = BindOnce();
    // A failed fill was reported once; it is not repeated.
    if (!bRebindPending_ || bFillFailed_)
      break;
  }
  return result;
}

bool ListBinder::BindOnce() {
  try {
    if (items_.IsListEmpty()) {
      grid_.SetDataSource(nullptr);
      return false;
    }
    bBindBusy_ = true;
    auto recordset = std::make_unique<DownloadRecordset>();
    Fill(*recordset);
    if (recordset->RecordCount() == 0) {
      // The list was emptied while events ran: shown as an empty list.
      bBindBusy_ = false;
      grid_.SetDataSource(nullptr);
      return false;
    }
    rsDownloadList_ = std::move(recordset);
    rsDownloadList_->MoveFirst();
    FormatDownloadGrid(false);
    bBindBusy_ = false;
    return true;
  } catch (...) {
    // The grid keeps showing its previous recordset.
    bBindBusy_ = false;
    bFillFailed_ = true;
    Report(std::current_exception());
    return false;
  }
}

void ListBinder::Report(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const host::GridUnavailable &) {
    return; // the grid is gone: nobody to tell
  } catch (...) {
  }
  const ErrorReport report = DescribeError(error);
  messages_.Show(std::string(kFillError) + "\r" + std::to_string(report.number) + ":" +
                     report.description,
                 host::MessageBox::Buttons::Ok, host::MessageBox::Icon::Error);
}

void ListBinder::RefreshRow(std::size_t index) {
  if (bBindBusy_) {
    bRebindPending_ = true;
    return;
  }
  if (index >= items_.Count())
    return;
  const DownloadItem &item = items_[index];
  const std::optional<host::GridRow> row = grid_.Row(static_cast<int>(index));
  if (!rsDownloadList_ || index >= rsDownloadList_->RecordCount() || !row ||
      grid_.RowID(*row) != item.ID) {
    BindList();
    return;
  }
  try {
    rsDownloadList_->Move(index);
    rsDownloadList_->SetText(DownloadRecordset::Video_URL,
                             host::FirstCharacters(item.Video_URL, kShownUrlCharacters));
    rsDownloadList_->SetText(DownloadRecordset::FileName, item.FileName);
    rsDownloadList_->SetText(DownloadRecordset::Status, item.Status);
    rsDownloadList_->SetText(DownloadRecordset::FileSize, item.FileSize);
    for (const int field : {DownloadRecordset::Video_URL, DownloadRecordset::FileName,
                            DownloadRecordset::Status, DownloadRecordset::FileSize}) {
      std::string text = rsDownloadList_->Text(index, field);
      if (grid_.CellText(*row, field) != text)
        grid_.SetCellValue(*row, field, text);
    }
  } catch (...) {
    // The grid is gone or cannot take the value: the next rebuild shows it.
  }
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
                      host::FirstCharacters(item.Video_URL, kShownUrlCharacters));
    recordset.SetText(DownloadRecordset::FileName, item.FileName);
    recordset.SetText(DownloadRecordset::Status, item.Status);
    recordset.SetText(DownloadRecordset::FileSize, item.FileSize);
  }
  if (everyRecord || Clock::now() - lastYield >= yieldInterval_)
    yield();
}

bool ListBinder::FormatDownloadGrid(bool bInit) {
  return list::FormatDownloadGrid(grid_, rsDownloadList_.get(), bGridFormatted_, bInit);
}

} // namespace vidtrawl::list
