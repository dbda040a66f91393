// A program that lets the platform layer make its Qt application must end
// cleanly: the application object is a global, torn down after Qt's own.
#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

TEST(ToolkitLifetime, ProgramWithThePlatformsOwnApplicationExitsCleanly) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  p.setProcessEnvironment(env);
  p.start(QCoreApplication::applicationDirPath() + "/gui_own_toolkit_helper", {});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << "the helper crashed";
  EXPECT_EQ(p.exitCode(), 0);
}
