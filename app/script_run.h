#ifndef TARVO_APP_SCRIPT_RUN_H_
#define TARVO_APP_SCRIPT_RUN_H_

#include <memory>
#include <string>

#include "app/data_check.h"
#include "app/journal_choices.h"
#include "app/run_log.h"
#include "app/run_request.h"
#include "journal/journal.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "script/eb_script.h"

const int kExitSuccess = 0;
const int kExitFailure = -1;

/// What a run reaches outside itself. The program gives it the platform's own; tests give
/// it files in memory, a registry, processes and a console of their own, and a clock that
/// stands still, so the run's ordering rules are tested without a disk or an E-Run.
struct RunWorld {
  FileSystem& files;
  Registry& registry;
  ProcessStarter& processes;
  ProcessCheck& running;  // whether an E-Run of this station's earlier runs still runs
  ConsoleInterrupts& interrupts;
  Journal::Clock now;
  Station (*station)();  // this computer, its user and this process, for the journal's rows
  LinePrinter print;     // the console
};

/// One run over one script, once the command line and its checks have passed: the stages
/// in their fixed order, the data check, and the rows of the journal.
class ScriptRun {
 public:
  ScriptRun(const RunWorld& world, const RunRequest& request, std::string outputScriptPath);

  /// Runs it; returns the exit code, 0 or -1.
  int Go();

 private:
  void OpenJournal();
  enum class Chose { kChosen, kRefused, kFailed };
  Chose Choose();
  std::string Taken(const AttributesByName& attributes) const;
  bool Edit();
  bool CheckData();
  bool SetAsideStage();
  int SaveAndLaunch();
  void ErunStarted(const ProcessIdentity& erun);
  JournalEvent FoundData(const DataFiles& data);
  int End(JournalEvent event, int exitCode, const std::string& message);
  int EndRefused(const std::string& line);

  const RunWorld& world_;
  const RunRequest& request_;
  const std::string outputScriptPath_;
  EBScript script_;
  RunLog log_;
  JournalChoices choices_;
  AttributesByName attributes_;  // the request's, with the values the journal chose
  std::string scriptPath_, computer_;
  std::unique_ptr<Journal> journal_;
  AttributesBySqueezedName given_;
  bool subjectZero_ = false;
  bool checking_ = false;
  bool setAside_ = false;       // the data file is there to be set aside (-A)
  bool journalFailed_ = false;  // a row of the journal could not be written
  DataFiles data_;
};

#endif  // TARVO_APP_SCRIPT_RUN_H_
