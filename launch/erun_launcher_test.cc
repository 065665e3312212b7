#include "launch/erun_launcher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

using Events = std::vector<std::string>;

// Each fake writes what happens to it into one shared list of events.
class FakeKey : public RegistryKey {
 public:
  FakeKey(Events* events, uint32_t type, std::string data)
      : events_(events), type_(type), data_(std::move(data)) {}
  ~FakeKey() override { events_->push_back("close key"); }

  long QueryValue(const char*, uint32_t* type, unsigned char* data, uint32_t* size) override {
    *type = type_;
    if (data_.size() > *size)
      return kRegistryMoreData;
    *size = static_cast<uint32_t>(data_.size());
    std::memcpy(data, data_.data(), data_.size());
    return kRegistrySuccess;
  }

 private:
  Events* events_;
  uint32_t type_;
  std::string data_;
};

class FakeRegistry : public Registry {
 public:
  FakeRegistry(Events* events, bool hasKey, uint32_t type, std::string value)
      : events_(events), hasKey_(hasKey), type_(type), value_(std::move(value)) {}

  long OpenClassesRootKey(const std::string& subKey, std::unique_ptr<RegistryKey>* key) override {
    events_->push_back("open " + subKey);
    if (!hasKey_)
      return kRegistryNotFound;
    key->reset(new FakeKey(events_, type_, value_));
    return kRegistrySuccess;
  }

 private:
  Events* events_;
  bool hasKey_;
  uint32_t type_;
  std::string value_;
};

class FakeProcess : public ChildProcess {
 public:
  explicit FakeProcess(Events* events) : events_(events) {}
  void WaitAndClose() override { events_->push_back("wait"); }

 private:
  Events* events_;
};

class FakeStarter : public ProcessStarter {
 public:
  FakeStarter(Events* events, bool starts) : events_(events), starts_(starts) {}
  std::unique_ptr<ChildProcess> Start(const std::string& commandLine) override {
    events_->push_back("start " + commandLine);
    if (!starts_)
      return nullptr;
    return std::unique_ptr<ChildProcess>(new FakeProcess(events_));
  }

 private:
  Events* events_;
  bool starts_;
};

class RecordedProgress : public LaunchProgress {
 public:
  explicit RecordedProgress(Events* events) : events_(events) {}
  void Starting(const std::string& commandLine) override {
    events_->push_back("starting " + commandLine);
  }
  void Waiting() override { events_->push_back("waiting"); }

 private:
  Events* events_;
};

}  // namespace

TEST(LaunchERun, StepsInOrderAndTheKeyClosedLast) {
  const std::string open = "open ebsfile\\shell\\open\\command";
  const std::string run = "\"E.exe\"  /a \"C:\\x_tarvo.ebs\"";
  struct Row {
    const char* what;
    bool hasKey;
    uint32_t type;
    std::string value;
    bool starts;
    LaunchOutcome outcome;
    Events events;
  } rows[] = {
      {"no key", false, 0, "", true, LaunchOutcome::kNoRegistryKey, {open}},
      {"number",
       true,
       kRegistryNumber,
       std::string("\1\0\0\0", 4),
       true,
       LaunchOutcome::kNoRegistryValue,
       {open, "close key"}},
      {"too long",
       true,
       kRegistryString,
       std::string(512, 'e') + '\0',
       true,
       LaunchOutcome::kNoRegistryValue,
       {open, "close key"}},
      {"no quoted %1",
       true,
       kRegistryString,
       std::string("E.exe %1\0", 9),
       true,
       LaunchOutcome::kNoFileEntry,
       {open, "close key"}},
      {"start fails",
       true,
       kRegistryString,
       std::string("\"E.exe\" \"%1\"\0", 13),
       false,
       LaunchOutcome::kStartFailed,
       {open, "starting " + run, "start " + run, "close key"}},
      {"E-Run runs",
       true,
       kRegistryString,
       std::string("\"E.exe\" \"%1\"\0", 13),
       true,
       LaunchOutcome::kERunEnded,
       {open, "starting " + run, "start " + run, "waiting", "wait", "close key"}},
  };
  for (const Row& row : rows) {
    Events events;
    FakeRegistry registry(&events, row.hasKey, row.type, row.value);
    FakeStarter starter(&events, row.starts);
    RecordedProgress progress(&events);
    EXPECT_EQ(row.outcome, LaunchERun("C:\\x_tarvo.ebs", registry, starter, progress)) << row.what;
    EXPECT_EQ(row.events, events) << row.what;
  }
}
