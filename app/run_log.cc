#include "app/run_log.h"

#include "platform/console.h"

void RunLog::Line(const std::string& text) {
  PrintLine(text);
}

void RunLog::PrintRefusal(const std::string& text) {
  PrintLine(text);
  MarkRefused(text);
}

void RunLog::MarkRefused(const std::string& text) {
  if (!refused_)
    firstRefusal_ = text;
  refused_ = true;
}
