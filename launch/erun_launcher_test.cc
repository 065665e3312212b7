#include "launch/erun_launcher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Events = std::vector<std::string>;

// The registry, the process start and the listener in one, writing all that happens to
// them into one list, so a test sees the order of the steps.
class FakeWorld : public Registry, public ProcessStarter, public LaunchProgress {
 public:
  // `value` is the default value's bytes; without `hasKey` the key cannot be opened.
  FakeWorld(bool hasKey, uint32_t type, std::string value, bool starts)
      : hasKey_(hasKey), type_(type), value_(std::move(value)), starts_(starts) {}

  long OpenClassesRootKey(const std::string& subKey, std::unique_ptr<RegistryKey>* key) override {
    events.push_back("open " + subKey);
    if (!hasKey_)
      return kRegistryNotFound;
    key->reset(new Key(this));
    return kRegistrySuccess;
  }
  std::unique_ptr<ChildProcess> Start(const std::string& commandLine, const std::string& folder,
                                      const FileHold&) override {
    events.push_back("start " + commandLine + " in " + folder);
    return starts_ ? std::unique_ptr<ChildProcess>(new Process(this)) : nullptr;
  }
  void Starting(const std::string& commandLine) override {
    events.push_back("starting " + commandLine);
  }
  void Waiting(const ChildProcess&) override { events.push_back("waiting"); }

  Events events;

 private:
  struct Key : RegistryKey {
    explicit Key(FakeWorld* owner) : world(owner) {}
    ~Key() override { world->events.push_back("close key"); }
    long QueryValue(const char*, uint32_t* type, unsigned char* data, uint32_t* size) override {
      *type = world->type_;
      if (world->value_.size() > *size)
        return kRegistryMoreData;
      *size = static_cast<uint32_t>(world->value_.size());
      std::memcpy(data, world->value_.data(), world->value_.size());
      return kRegistrySuccess;
    }
    FakeWorld* world;
  };
  struct Process : ChildProcess {
    explicit Process(FakeWorld* owner) : world(owner) {}
    void WaitAndClose() override { world->events.push_back("wait"); }
    ProcessIdentity Identity() const override { return {}; }
    FakeWorld* world;
  };

  bool hasKey_;
  uint32_t type_;
  std::string value_;
  bool starts_;
};

}  // namespace

TEST(LaunchERun, StepsInOrderAndTheKeyClosedLast) {
  const std::string open = "open ebsfile\\shell\\open\\command";
  const std::string script = "exp/x_tarvo.ebs";
  const std::string folder = "exp/";
  const std::string run = "\"E.exe\"  /a \"exp/x_tarvo.ebs\"";
  const std::string common("\"E.exe\" \"%1\"\0", 13);
  struct Row {
    const char* what;
    FakeWorld world;
    LaunchOutcome outcome;
    Events events;
  } rows[] = {
      {"no key", FakeWorld(false, 0, "", true), LaunchOutcome::kNoRegistryKey, {open}},
      {"number",
       FakeWorld(true, kRegistryNumber, std::string("\1\0\0\0", 4), true),
       LaunchOutcome::kNoRegistryValue,
       {open, "close key"}},
      {"too long",
       FakeWorld(true, kRegistryString, std::string(512, 'e') + '\0', true),
       LaunchOutcome::kNoRegistryValue,
       {open, "close key"}},
      {"no bytes at all",
       FakeWorld(true, kRegistryString, "", true),
       LaunchOutcome::kNoFileEntry,
       {open, "close key"}},
      {"a zero byte ends the value",
       FakeWorld(true, kRegistryString, std::string("E.exe\0\"%1\"\0", 11), true),
       LaunchOutcome::kNoFileEntry,
       {open, "close key"}},
      {"no quoted %1",
       FakeWorld(true, kRegistryString, std::string("E.exe %1\0", 9), true),
       LaunchOutcome::kNoFileEntry,
       {open, "close key"}},
      {"start fails",
       FakeWorld(true, kRegistryString, common, false),
       LaunchOutcome::kStartFailed,
       {open, "starting " + run, "start " + run + " in " + folder, "close key"}},
      {"E-Run runs",
       FakeWorld(true, kRegistryString, common, true),
       LaunchOutcome::kERunEnded,
       {open, "starting " + run, "start " + run + " in " + folder, "waiting", "wait", "close key"}},
  };
  for (Row& row : rows) {
    FileHold hold;
    EXPECT_EQ(row.outcome, LaunchERun(script, hold, row.world, row.world, row.world)) << row.what;
    EXPECT_EQ(row.events, row.world.events) << row.what;
  }
}
