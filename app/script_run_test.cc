#include "app/script_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "base/csv.h"
#include "fake_file_system.h"
#include "test_support.h"

namespace {

#ifdef _WIN32
const std::string kLab = "C:\\lab\\";
#else
const std::string kLab = "/lab/";
#endif
const std::string kScript = kLab + "rt.ebs";
const std::string kJournal = kLab + "journal.csv";
const std::string kDataFile = kLab + "rt-12-1.txt";

const char kStillRunning[] = "E-Run is still running: Tarvo waits for it to end";

// E-Prime's registration of .ebs files, an E-Run that writes what an experiment would while
// someone presses Ctrl+C `presses` times, and the console that hears the presses.
class FakeLaunch : public Registry, public ProcessStarter, public ConsoleInterrupts {
 public:
  FakeLaunch(FakeFileSystem& files, std::vector<std::string> writes, int presses, LinePrinter print)
      : files_(files), writes_(std::move(writes)), presses_(presses), print_(std::move(print)) {}

  long OpenClassesRootKey(const std::string&, std::unique_ptr<RegistryKey>* key) override {
    key->reset(new Key);
    return kRegistrySuccess;
  }
  std::unique_ptr<ChildProcess> Start(const std::string&, const std::string&,
                                      const FileHold&) override {
    ++started;
    if (journalFailsWhileRunning)
      files_.lockOutcome = LockOutcome::kFailed;
    return std::unique_ptr<ChildProcess>(new Experiment(this));
  }
  void Hold(const std::string& line) override { held_ = line; }
  void Release() override { held_.clear(); }

  int started = 0;
  bool journalFailsWhileRunning = false;

 private:
  struct Key : RegistryKey {
    long QueryValue(const char*, uint32_t* type, unsigned char* data, uint32_t* size) override {
      static const char kCommand[] = "\"erun.exe\" \"%1\"";
      *type = kRegistryString;
      *size = sizeof kCommand;
      std::memcpy(data, kCommand, sizeof kCommand);
      return kRegistrySuccess;
    }
  };
  struct Experiment : ChildProcess {
    explicit Experiment(FakeLaunch* owner) : launch(owner) {}
    void WaitAndClose() override {
      for (const std::string& file : launch->writes_)
        launch->files_.files[file] = "data";
      for (int press = 0; press < launch->presses_; ++press)
        launch->print_(launch->held_.empty() ? "<ended by Ctrl+C>" : launch->held_);
      launch->files_.lockOutcome = LockOutcome::kLocked;
    }
    ProcessIdentity Identity() const override { return {4242, 99}; }
    FakeLaunch* launch;
  };

  FakeFileSystem& files_;
  std::vector<std::string> writes_;
  int presses_;
  LinePrinter print_;
  std::string held_;
};

// The events of the rows of the journal at `path`, in their order; "<none>" when there is
// no such file.
std::vector<std::string> JournalEvents(const FakeFileSystem& files, const std::string& path) {
  auto journal = files.files.find(path);
  if (journal == files.files.end())
    return {"<none>"};
  std::vector<std::string> events;
  size_t from = journal->second.find('\n') + 1;
  for (size_t end; (end = journal->second.find("\r\n", from)) != std::string::npos;
       from = end + 2) {
    CsvLine line;
    line.Split(std::string_view(journal->second).substr(from, end - from), ',');
    events.emplace_back(line.fields()[7]);
  }
  return events;
}

}  // namespace

// What a run writes to the journal, and when it checks the data, as unit rows on files in
// memory: the order of the stages decides what a batch learns of each run.
TEST(ScriptRun, JournalRowsAndDataChecksInTheirOrder) {
  // The older generator's script, without its own HandleFilename: the script names the file.
  std::string rt = ReadBytes(TARVO_SOURCE_DIR "/tests/e2e/fixtures/rt.ebs");
  rt.replace(rt.find("Function HandleFilename("), 24, "Function KeepFilename(");
  struct Row {
    const char* what;
    AttributesByName attributes;
    bool noRun, dataCheck;
    std::string journal;
    std::vector<std::string> there, erunWrites;
    int exitCode;
    std::vector<std::string> events;
    std::string lastLine;
    int presses = 0;
    bool journalFailsWhileRunning = false;
  } rows[] = {
      {"a refused value writes its refused row",
       {{"Subject", "abc"}},
       false,
       false,
       kJournal,
       {},
       {},
       -1,
       {"refused"},
       "Invalid value for Subject: abc (a whole number from 0 to 32767)"},
      {"-N appends nothing",
       {{"Subject", "12"}, {"Session", "1"}},
       true,
       false,
       kJournal,
       {},
       {},
       0,
       {"<none>"},
       "Saved 270 lines in " + kLab + "rt_tarvo.ebs"},
      {"a journal that is the data file is dropped",
       {{"Subject", "12"}, {"Session", "1"}},
       false,
       false,
       kDataFile,
       {},
       {},
       -1,
       {"<none>"},
       "The journal cannot be the data file: " + kDataFile},
      {"a data file there already refuses before E-Run",
       {{"Subject", "12"}, {"Session", "1"}},
       false,
       true,
       kJournal,
       {kDataFile},
       {},
       -1,
       {"refused"},
       "Data file exists: " + kDataFile},
      {"the data saved after E-Run",
       {{"Subject", "12"}, {"Session", "1"}},
       false,
       true,
       kJournal,
       {},
       {kDataFile},
       0,
       {"started", "E-Run started", "saved"},
       "Data saved: " + kDataFile},
      {"Ctrl+C while E-Run runs: the run waits for its end",
       {{"Subject", "12"}, {"Session", "1"}},
       false,
       true,
       kJournal,
       {},
       {kDataFile},
       0,
       {"started", "E-Run started", "saved"},
       "Data saved: " + kDataFile,
       2},
      {"the journal could not take E-Run's row",
       {{"Subject", "12"}, {"Session", "1"}},
       false,
       true,
       kJournal,
       {},
       {kDataFile},
       -1,
       {"started", "saved"},
       "Data saved: " + kDataFile,
       0,
       true},
      {"no data after E-Run",
       {{"Subject", "12"}, {"Session", "1"}},
       false,
       false,
       kJournal,
       {},
       {},
       -1,
       {"started", "E-Run started", "no data"},
       "No data file written: " + kDataFile},
  };
  for (const Row& row : rows) {
    FakeFileSystem files;
    files.files[kScript] = rt;
    for (const std::string& path : row.there)
      files.files[path] = "";
    std::vector<std::string> lines;
    auto print = [&lines](const std::string& line) { lines.push_back(line); };
    FakeLaunch launch(files, row.erunWrites, row.presses, print);
    launch.journalFailsWhileRunning = row.journalFailsWhileRunning;
    FakeProcessCheck processes;
    const RunWorld world{files,
                         launch,
                         launch,
                         processes,
                         launch,
                         [] { return std::time_t{1765000000}; },
                         [] {
                           return Station{"LAB1", "lab", 7, std::time_t{1765000000}, {7, 1}};
                         },
                         print};
    RunRequest request;
    request.scriptPath = kScript;
    request.attributes = row.attributes;
    request.noRun = row.noRun;
    request.dataCheck = row.dataCheck;
    request.journal = row.journal;
    EXPECT_EQ(row.exitCode, ScriptRun(world, request, kLab + "rt_tarvo.ebs").Go()) << row.what;
    EXPECT_EQ(row.events, JournalEvents(files, row.journal)) << row.what;
    EXPECT_EQ(row.lastLine, lines.empty() ? "" : lines.back()) << row.what;
    // E-Run starts only once the data check before it and the started row have passed.
    EXPECT_EQ(row.events.size() >= 2 ? 1 : 0, launch.started) << row.what;
    EXPECT_EQ(row.presses, std::count(lines.begin(), lines.end(), kStillRunning)) << row.what;
  }
}
