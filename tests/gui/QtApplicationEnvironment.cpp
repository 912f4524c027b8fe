// The desktop's tests need one QApplication for the whole run. It runs on
// Qt's offscreen platform unless another one is asked for, with the Fusion
// style so that every machine paints alike, and Qt Quick's software
// renderer, as the program itself uses.

#include <QApplication>
#include <QByteArray>
#include <QQuickWindow>
#include <QSGRendererInterface>

#include <gtest/gtest.h>

#include <memory>

namespace {

class QtApplicationEnvironment final : public ::testing::Environment {
public:
  void SetUp() override {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
      qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    application_ = std::make_unique<QApplication>(argc_, argv_);
    QApplication::setStyle(QStringLiteral("Fusion"));
  }
  void TearDown() override { application_.reset(); }

private:
  int argc_ = 1;
  char name_[16] = "test_gui";
  char *argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] ::testing::Environment *const environment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

} // namespace
