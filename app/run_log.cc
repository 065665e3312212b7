#include "app/run_log.h"

#include "platform/console.h"

void RunLog::Line(const std::string& text) {
  PrintLine(text);
}

void RunLog::Refuse(const std::string& text) {
  PrintLine(text);
  Refused(text);
}

void RunLog::Refused(const std::string& text) {
  if (!refused_)
    firstRefusal_ = text;
  refused_ = true;
}
