// Stands in for E-Prime's E-Run in the end-to-end tests. It appends what it was given to
// the file that the variable ERUN_STANDIN_RECORD names (erun-record.txt in its current
// folder without it): one line per argument in brackets, then whether the last argument
// names a readable file, then, when the variable ERUN_STANDIN_SHOW is set, the script's
// lines that hold its text (so a test of several runs can tell which values each run got).
// Like an experiment, it then writes the files that ERUN_STANDIN_WRITE names, separated by
// '|', relative to its current folder: the data file and the converted one of a run that
// finished, the data file alone of one that was aborted. "{Name}" in a name stands for the
// value that a line `c.SetAttrib "Name", "value"` (or ebContext's) of the script gives. It first
// waits a moment, so the record is only there in time when the caller waited for it to end, and,
// when ERUN_STANDIN_WAIT_FOR names a file, until that file exists (at most a minute), so a test can
// do something else while E-Run runs. The console is closed at once, so whoever reads the caller's
// output does not wait for it either. On POSIX, with ERUN_STANDIN_SIGNALS set, it also records
// whether it started with SIGINT and SIGPIPE at their defaults.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

namespace {

void Pause() {
#ifdef _WIN32
  Sleep(100);
#else
  usleep(100 * 1000);
#endif
}

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// `text` with each "{Name}" replaced by the value that the script's last line
// `c.SetAttrib "Name", "value"` (or `ebContext.SetAttrib ...`) gives, which is Tarvo's below
// the script's default.
std::string WithValues(std::string text, const std::string& script) {
  size_t open;
  while ((open = text.find('{')) != std::string::npos) {
    size_t close = text.find('}', open);
    if (close == std::string::npos)
      break;
    std::string set = "SetAttrib \"" + text.substr(open + 1, close - open - 1) + "\", \"";
    size_t at = script.rfind(set);
    std::string value;
    if (at != std::string::npos)
      value = script.substr(at + set.size(), script.find('"', at + set.size()) - at - set.size());
    text.replace(open, close - open + 1, value);
  }
  return text;
}

// Writes each file of the '|'-separated list; false when one cannot be written.
bool WriteFiles(const std::string& list) {
  size_t begin = 0;
  while (begin < list.size()) {
    size_t end = list.find('|', begin);
    if (end == std::string::npos)
      end = list.size();
    std::FILE* file = std::fopen(list.substr(begin, end - begin).c_str(), "wb");
    if (file == nullptr)
      return false;
    std::fputs("data\r\n", file);
    std::fclose(file);
    begin = end + 1;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::fclose(stdout);
  std::fclose(stderr);
  std::string waitFor = Variable("ERUN_STANDIN_WAIT_FOR");
  for (int waited = 0; waited < 60000; waited += 100) {
    std::FILE* go = waitFor.empty() ? nullptr : std::fopen(waitFor.c_str(), "rb");
    if (go != nullptr)
      std::fclose(go);
    if (waited >= 300 && (waitFor.empty() || go != nullptr))
      break;
    Pause();
  }
  std::string recordPath = Variable("ERUN_STANDIN_RECORD");
  std::FILE* record = std::fopen(recordPath.empty() ? "erun-record.txt" : recordPath.c_str(), "ab");
  if (record == nullptr)
    return 2;
  for (int i = 1; i < argc; ++i)
    std::fprintf(record, "[%s]\n", argv[i]);
  std::FILE* script = argc > 1 ? std::fopen(argv[argc - 1], "rb") : nullptr;
  std::fprintf(record, "%s\n", script != nullptr ? "script readable" : "script not readable");
  std::string show = Variable("ERUN_STANDIN_SHOW");
  std::string text;
  char line[2048];
  while (script != nullptr && std::fgets(line, sizeof line, script) != nullptr) {
    text += line;
    if (!show.empty() && std::strstr(line, show.c_str()) != nullptr) {
      line[std::strcspn(line, "\r\n")] = '\0';
      std::fprintf(record, "%s\n", line);
    }
  }
  if (script != nullptr)
    std::fclose(script);
#ifndef _WIN32
  if (!Variable("ERUN_STANDIN_SIGNALS").empty()) {
    for (auto [number, name] :
         {std::pair<int, const char*>{SIGINT, "SIGINT"}, {SIGPIPE, "SIGPIPE"}}) {
      struct sigaction action = {};
      sigaction(number, nullptr, &action);
      std::fprintf(record, "%s %s\n", name,
                   action.sa_handler == SIG_DFL ? "default" : "not default");
    }
  }
#endif
  if (!WriteFiles(WithValues(Variable("ERUN_STANDIN_WRITE"), text)))
    std::fprintf(record, "could not write the data files\n");
  std::fclose(record);
  // An exit status of its own, which the caller must not take for its own.
  return 3;
}
