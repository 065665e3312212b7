#include "app/run_log.h"

void RunLog::Line(const std::string& text) {
  print_(text);
}

void RunLog::PrintRefusal(const std::string& text) {
  print_(text);
  MarkRefused(text);
}

void RunLog::MarkRefused(const std::string& text) {
  if (!refused_)
    firstRefusal_ = text;
  refused_ = true;
}
