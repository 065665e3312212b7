#include "platform/process.h"

#include <gtest/gtest.h>

// A process is told by its number and its creation time: the same number with another
// time is a later process, so the one recorded is gone; without the time nothing is told.
TEST(ProcessCheck, TellsARunningProcessFromOneGone) {
  ProcessCheck& check = SystemProcessCheck();
  ProcessIdentity self = ThisProcess();
  ASSERT_NE(0u, self.created);
  EXPECT_EQ(ProcessState::kRunning, check.Look(self));
  EXPECT_EQ(ProcessState::kGone, check.Look({self.id, self.created + 1}));
  EXPECT_EQ(ProcessState::kCannotTell, check.Look({self.id, 0}));
#ifdef _WIN32
  const char* exits = "cmd.exe /c exit";
#else
  const char* exits = "/bin/true";
#endif
  FileHold hold;
  std::unique_ptr<ChildProcess> child = SystemProcessStarter().Start(exits, "", hold);
  ASSERT_NE(nullptr, child);
  ProcessIdentity ended = child->Identity();
  child->WaitAndClose();
  EXPECT_EQ(ProcessState::kGone, check.Look(ended));
}
