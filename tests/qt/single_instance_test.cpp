// One window per user: a second start of the program raises the running
// window and ends at once with status 0, without a window of its own and
// without touching the last-folders file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <filesystem>

#include "app/qt/comtrade_window.h"
#include "app/qt/qt_ui.h"
#include "app/qt/single_instance.h"
#include "tests/qt/wait.h"
#include "tests/support/fakes.h"

namespace velk::testing {
namespace {

constexpr int kPromptlyMs = 5000;

// Starts velk-comtrade (the one built, or a copy) in folder.
std::unique_ptr<QProcess> Start(const std::string& program, const std::string& folder) {
  auto process = std::make_unique<QProcess>();
  process->setWorkingDirectory(QString::fromStdString(folder));
  process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process->start(QString::fromStdString(program), {});
  EXPECT_TRUE(process->waitForStarted());
  return process;
}

// Waits for a started program to end by itself; true when it did in time.
bool EndsWithin(QProcess& process, int ms) {
  return WaitFor([&] { return process.state() == QProcess::NotRunning; }, ms);
}

TEST(SingleInstance, SecondStartRestoresTheMinimizedWindowAndEndsAtOnce) {
  // This test process is the running program: its window, minimized.
  FormFixture f;
  QtUi ui;
  TFComtrade form(ui, f.system);
  ComtradeWindow window(form);
  ui.Attach(&window);
  form.FormCreate();
  SingleInstance running(RuntimeFolder());
  ASSERT_TRUE(running.Acquire());
  ASSERT_TRUE(running.Listen([&form](std::string_view m) { return form.MainWindowHook(m); }));
  window.showMinimized();
  ASSERT_TRUE(WaitFor([&] { return window.isMinimized(); }));

  QElapsedTimer clock;
  clock.start();
  auto second = Start(VELK_COMTRADE, f.dir.Folder());
  ASSERT_TRUE(EndsWithin(*second, kPromptlyMs));
  EXPECT_LT(clock.elapsed(), kPromptlyMs);
  EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second->exitCode(), 0);
  EXPECT_TRUE(WaitFor([&] { return !window.isMinimized(); }));
  EXPECT_TRUE(window.isVisible());
}

TEST(SingleInstance, TwoStartsOfTheProgramGiveOneWindow) {
  // A copy of the program, so that its executable's folder, and with it the
  // last-folders file, is the test's own.
  TempDir exe;
  const std::string program = exe / "velk-comtrade";
  std::filesystem::copy_file(VELK_COMTRADE, program);
  std::filesystem::permissions(program, std::filesystem::perms::owner_all);

  auto first = Start(program, exe.Folder());
  const SingleInstance channel(RuntimeFolder());
  // The channel opens once the first window has been built.
  ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(channel.ChannelPath()); }));
  const QString user = QString::number(getuid());
  EXPECT_TRUE(channel.ChannelPath().endsWith("/OnlyOneKalvenor-" + user));
  EXPECT_TRUE(channel.LockPath().endsWith("/OneIKalvenor-" + user + ".lock"));
  EXPECT_TRUE(QFileInfo::exists(channel.LockPath()));

  // A last-folders file that blocks whoever opens it: the second start must
  // neither read nor write it.
  ASSERT_EQ(mkfifo((exe / "cmtrd.ddt").c_str(), 0600), 0);
  QElapsedTimer clock;
  clock.start();
  auto second = Start(program, exe.Folder());
  const bool ended = EndsWithin(*second, kPromptlyMs);
  if (!ended) second->kill();
  EXPECT_TRUE(ended);
  EXPECT_LT(clock.elapsed(), kPromptlyMs);
  EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second->exitCode(), 0);

  // The first still runs and answers the request to come to the front.
  EXPECT_EQ(first->state(), QProcess::Running);
  EXPECT_TRUE(channel.Send("OnlyOneKalvenor"));
  EXPECT_FALSE(channel.Send("something else"));
  first->kill();
  first->waitForFinished();
}

}  // namespace
}  // namespace velk::testing
