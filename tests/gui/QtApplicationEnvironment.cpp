// One QApplication for the whole run of the desktop's tests, on Qt's
// offscreen platform unless another one is asked for, with the Fusion style
// so that every machine paints alike and Qt Quick's software renderer, as
// the program itself uses.
#include <QApplication>
#include <QQuickWindow>

#include <gtest/gtest.h>

namespace {

struct QtApplicationEnvironment final : ::testing::Environment {
  void SetUp() override {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
      qputenv("QT_QPA_PLATFORM", "offscreen");
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    application = std::make_unique<QApplication>(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
  }
  void TearDown() override { application.reset(); }

  int argc = 1;
  char name[9] = "test_gui", *argv[2] = {name, nullptr};
  std::unique_ptr<QApplication> application;
};

[[maybe_unused]] ::testing::Environment *const environment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

} // namespace
