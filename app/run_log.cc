#include "app/run_log.h"

#include "platform/console.h"

void RunLog::Line(const std::string& text) {
  PrintLine(text);
}

void RunLog::Refuse(const std::string& text) {
  PrintLine(text);
  if (!refused_)
    firstRefusal_ = text;
  refused_ = true;
}
