// Stands in for E-Prime's E-Run in the end-to-end tests. It appends what it was given to
// erun-record.txt in its current folder: one line per argument in brackets, then
// whether the last argument names a readable file, then, when the variable
// ERUN_STANDIN_SHOW is set, the script's lines that hold its text (so a test of several
// runs can tell which values each run got). It first waits a moment, so the record is
// only there in time when the caller waited for it to end, and, when ERUN_STANDIN_WAIT_FOR
// names a file, until that file exists (at most a minute), so a test can do something
// else while E-Run runs. The console is closed at once, so whoever reads the caller's
// output does not wait for it either.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

int main(int argc, char** argv) {
  std::fclose(stdout);
  std::fclose(stderr);
  const char* waitFor = std::getenv("ERUN_STANDIN_WAIT_FOR");
  for (int waited = 0; waited < 60000; waited += 100) {
    std::FILE* go = waitFor != nullptr ? std::fopen(waitFor, "rb") : nullptr;
    if (go != nullptr)
      std::fclose(go);
    if (waited >= 300 && (waitFor == nullptr || go != nullptr))
      break;
#ifdef _WIN32
    Sleep(100);
#else
    usleep(100 * 1000);
#endif
  }
  std::FILE* record = std::fopen("erun-record.txt", "ab");
  if (record == nullptr)
    return 2;
  for (int i = 1; i < argc; ++i)
    std::fprintf(record, "[%s]\n", argv[i]);
  std::FILE* script = argc > 1 ? std::fopen(argv[argc - 1], "rb") : nullptr;
  std::fprintf(record, "%s\n", script != nullptr ? "script readable" : "script not readable");
  const char* show = std::getenv("ERUN_STANDIN_SHOW");
  if (script != nullptr && show != nullptr && *show != '\0') {
    char line[2048];
    while (std::fgets(line, sizeof line, script) != nullptr) {
      if (std::strstr(line, show) != nullptr) {
        line[std::strcspn(line, "\r\n")] = '\0';
        std::fprintf(record, "%s\n", line);
      }
    }
  }
  if (script != nullptr)
    std::fclose(script);
  std::fclose(record);
  // An exit status of its own, which the caller must not take for its own.
  return 3;
}
