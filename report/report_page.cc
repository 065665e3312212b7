#include "report/report_page.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <type_traits>

#include "journal/open_runs.h"
#include "platform/code_page.h"

namespace {

// Each outcome's colour, so that the grid can be read at a glance; its word stands in the
// cell too, so that nothing depends on colour alone.
const char kStyle[] =
    "body{font-family:Arial,Helvetica,sans-serif;font-size:10pt;color:#222;margin:16px}"
    "h1{font-size:16pt;margin:0 0 8px 0}h2{font-size:13pt;margin:24px 0 6px 0}"
    "h3{font-size:10pt;margin:14px 0 4px 0}"
    "table{border-collapse:collapse;margin:4px 0}"
    "th,td{border:1px solid #999;padding:2px 6px;text-align:left;vertical-align:top}"
    "th{background-color:#eee;font-weight:bold}td.n,th.n{text-align:right}"
    "td.t{white-space:nowrap}"
    "p.none{color:#666;margin:2px 0}p.more{color:#666;margin:2px 0}p.line{margin:2px 0 4px 0}"
    "div.script,div.top{display:inline-block;vertical-align:top;margin:0 24px 8px 0}"
    "span.where{font-size:8pt;color:#333;white-space:nowrap}span.history{display:block;width:14em;"
    "font-size:8pt}"
    ".saved{background-color:#a8dba8}.not-converted{background-color:#ffd08a}"
    ".no-data{background-color:#f4a6a6}.running{background-color:#9ecbf0}"
    ".interrupted{background-color:#d7b4e8}.ended{background-color:#f5ef9a}"
    ".failed{background-color:#e58fb8}.refused{background-color:#d6d6d6}";

const char* const kClasses[kRunOutcomes] = {"saved",       "not-converted", "no-data", "running",
                                            "interrupted", "ended",         "failed",  "refused"};

// What each outcome means, one line each, for the legend.
std::string Meaning(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::kSaved:
      return "the data are saved: the converted file, or the data file of a script that does "
             "not convert, is there";
    case RunOutcome::kNotConverted:
      return "aborted: only the data file is there, which E-Recovery can convert";
    case RunOutcome::kNoData:
      return "no data file was written";
    case RunOutcome::kRunning:
      return "started and not ended: no row of its own ends it, and it began less than " +
             OpenRunHoursText() + " ago";
    case RunOutcome::kInterrupted:
      return "started and never ended: released by hand, or open for more than " +
             OpenRunHoursText() + " without an end row of its own";
    case RunOutcome::kEnded:
      return "E-Run ended, but the data could not be checked";
    case RunOutcome::kErunFailed:
      return "E-Run did not start, or the rewritten script could not be saved: the experiment "
             "did not run";
    case RunOutcome::kRefused:
      break;
  }
  return "Tarvo refused the run before the experiment started; nothing else happened here";
}

// The attention lists: each one's title, and its anchor, which the table at the top links.
std::string AttentionTitle(Attention kind) {
  switch (kind) {
    case Attention::kSavedTwice:
      return "Data files with two saved rows";
    case Attention::kAborted:
      return "Aborted sessions without a later save (E-Recovery can convert them)";
    case Attention::kInterrupted:
      return "Interrupted runs: released by hand, or open for more than " + OpenRunHoursText();
    case Attention::kSubjectZero:
      return "Runs for Subject 0";
    case Attention::kNotChecked:
      return "Runs whose data were not checked";
    case Attention::kRefusals:
    case Attention::kCount:
      break;
  }
  return "Refusals, by their message";
}

const char* const kAnchors[static_cast<size_t>(Attention::kCount)] = {
    "saved-twice", "aborted", "interrupted", "subject-zero", "not-checked", "refusals"};
const char kUnreadableAnchor[] = "unreadable";
const char kUnreadableTitle[] = "Rows that cannot be read";

// What stands for a control character (NUL, ESC, ...) of the journal on the page: U+FFFD.
const char kReplacement[] = "\xEF\xBF\xBD";

// The characters that HTML writes as entities in text and in attribute values, and the
// control characters, which it must not show raw.
constexpr bool IsSpecialByte(unsigned char byte) {
  return byte == '&' || byte == '<' || byte == '>' || byte == '"' || byte == '\'' ||
         (byte < 0x20 && byte != '\t') || byte == 0x7F || byte == 0xC2;
}

// IsSpecialByte of each byte, looked up: the page's texts are looked at byte by byte.
struct SpecialTable {
  bool special[256];
};
constexpr SpecialTable MakeSpecialTable() {
  SpecialTable table{};
  for (int byte = 0; byte < 256; ++byte)
    table.special[byte] = IsSpecialByte(static_cast<unsigned char>(byte));
  return table;
}
constexpr SpecialTable kSpecialTable = MakeSpecialTable();

bool IsSpecial(char c) {
  return kSpecialTable.special[static_cast<unsigned char>(c)];
}

// The date of a time as the journal has it: what comes before its time of day.
std::string_view DateOf(std::string_view time) {
  return time.substr(0, std::min(time.find_first_of("T "), time.size()));
}

const char* ClassOf(RunOutcome outcome) {
  return kClasses[static_cast<size_t>(outcome)];
}

// The journal's text, as the page writes it: converted to UTF-8 and escaped.
struct Text {
  std::string_view text;
};

// The page, written top to bottom; each function below is one part of it. Markup goes in as
// it stands, the journal's texts as Text, numbers in decimal.
class Page {
 public:
  explicit Page(const WritePiece& write) : write_(write) { html_.resize(kPiece); }

  void Head(const std::string& journal) {
    *this << "<!DOCTYPE html>\n<html><head>\n"
          << "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
          << "<meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge\">\n<title>Study report: "
          << Ours(journal) << "</title>\n<style type=\"text/css\">" << kStyle
          << "</style>\n</head><body>\n";
  }

  // The journal, what needs attention, and the outcomes' counts, side by side where the
  // window is wide enough.
  void Heading(const ReportModel& model, const std::string& journal, const std::string& madeAt) {
    *this << "<h1>Study report</h1>\n<div>\n<div class=\"top\">\n<h2>Journal</h2>\n<table>\n";
    *this << "<tr><th>Journal</th><td>" << Ours(journal) << "</td></tr>\n";
    *this << "<tr><th>Made</th><td>" << Ours(madeAt) << "</td></tr>\n";
    *this << "<tr><th>First run</th><td>" << Text{model.firstTime()} << "</td></tr>\n";
    *this << "<tr><th>Last run</th><td>" << Text{model.lastTime()} << "</td></tr>\n";
    *this << "<tr><th>Rows</th><td>" << model.rows() << "</td></tr>\n</table>\n</div>\n";
    Summary(model);
    *this << "<div class=\"top\">\n<h2>Outcomes</h2>\n<table>\n"
          << "<tr><th>Outcome</th><th class=\"n\">Cells</th></tr>\n";
    OutcomeCounts counts = model.Counts();
    for (size_t outcome = 0; outcome < kRunOutcomes; ++outcome) {
      *this << "<tr><td class=\"" << kClasses[outcome] << "\">"
            << OutcomeName(static_cast<RunOutcome>(outcome)) << "</td><td class=\"n\">"
            << counts[outcome] << "</td></tr>\n";
    }
    *this << "</table>\n</div>\n</div>\n";
  }

  // What needs attention, first: each list with its count, linked to the list.
  void Summary(const ReportModel& model) {
    *this << "<div class=\"top\">\n<h2>Needs attention</h2>\n<table>\n"
          << "<tr><th>What</th><th class=\"n\">Count</th></tr>\n";
    for (size_t kind = 0; kind < static_cast<size_t>(Attention::kCount); ++kind) {
      auto attention = static_cast<Attention>(kind);
      size_t count =
          attention == Attention::kRefusals ? model.refusals() : model.attention(attention).count;
      *this << "<tr><td><a href=\"#" << kAnchors[kind] << "\">" << AttentionTitle(attention)
            << "</a></td><td class=\"n\">" << count << "</td></tr>\n";
    }
    *this << "<tr><td><a href=\"#" << kUnreadableAnchor << "\">" << kUnreadableTitle
          << "</a></td><td class=\"n\">" << model.unreadableRows().size() << "</td></tr>\n";
    *this << "</table>\n</div>\n";
  }

  void Grids(const ReportModel& model) {
    *this << "<div>\n";
    for (const auto& [key, grid] : model.grids())
      Grid(grid);
    *this << "</div>\n";
  }

  // The script's line, then one row per Subject, one column per Session, and the
  // participant's next session; the grids stand side by side where the window is wide.
  void Grid(const ScriptGrid& grid) {
    *this << "<div class=\"script\">\n<h2>" << Text{grid.name} << "</h2>\n";
    *this << "<p class=\"line\">Participants with a saved session: " << grid.participantsSaved
          << "; sessions saved: " << grid.sessionsSaved << "; running now: " << grid.runningNow
          << "; next Subject: " << grid.nextSubject << "</p>\n";
    for (const ScriptGrid::Balance& balance : grid.balanced) {
      *this << "<p class=\"line\">" << Text{balance.name} << " (balanced) ";
      for (size_t at = 0; at < balance.values.size(); ++at) {
        const ScriptGrid::Balance::Value& value = balance.values[at];
        *this << (at == 0 ? "" : "; ") << Text{value.value} << ": " << value.saved
              << " with a saved session, " << value.running << " running now";
      }
      *this << "</p>\n";
    }
    std::vector<int32_t> sessions = grid.Sessions();
    if (!grid.empty()) {
      *this << "<table>\n<tr><th>Subject</th>";
      for (int32_t session : sessions)
        *this << "<th>Session " << session << "</th>";
      *this << "<th>Next session</th></tr>\n";
      std::vector<int32_t> subjects = grid.Subjects();
      for (size_t at = 0; at < subjects.size(); ++at) {
        int32_t subject = subjects[at];
        if (at + 2 < subjects.size())
          grid.PrefetchSubject(subjects[at + 2]);
        *this << "<tr><th class=\"n\">" << subject << "</th>";
        for (int32_t session : sessions) {
          std::optional<Happening> cell = grid.Find(subject, session);
          if (!cell)
            *this << "<td>&nbsp;</td>";
          else
            CellHtml(*cell);
        }
        *this << "<td class=\"n\">" << grid.NextSession(subject) << "</td></tr>\n";
      }
      *this << "</table>\n";
    }
    if (!grid.others.empty()) {
      *this << "<h3>Runs without a Subject or a Session</h3>\n<table>\n"
            << "<tr><th>Data file or run</th><th>Outcome</th></tr>\n";
      for (const auto& [label, cell] : grid.others) {
        *this << "<tr><td>" << Text{label} << "</td>";
        if (std::optional<Happening> shown = cell.shown())
          CellHtml(*shown);
        *this << "</tr>\n";
      }
      *this << "</table>\n";
    }
    *this << "</div>\n";
  }

  void NeedsAttention(const ReportModel& model) {
    *this << "<h2>What needs attention</h2>\n";
    for (size_t kind = 0; kind < static_cast<size_t>(Attention::kCount); ++kind) {
      *this << "<h3 id=\"" << kAnchors[kind] << "\">"
            << AttentionTitle(static_cast<Attention>(kind)) << "</h3>\n";
      const AttentionList& list = model.attention(static_cast<Attention>(kind));
      if (list.count == 0) {
        *this << "<p class=\"none\">None.</p>\n";
        continue;
      }
      if (list.count > list.latest.size()) {
        *this << "<p class=\"more\">" << list.count << " in all; the latest " << list.latest.size()
              << ":</p>\n";
      }
      *this << "<table>\n<tr><th>Time</th><th>Computer</th><th>What</th></tr>\n";
      for (const AttentionItem& item : list.latest) {
        *this << "<tr><td class=\"t\">" << Text{item.time} << "</td><td>" << Text{item.computer}
              << "</td><td>" << Text{item.text} << "</td></tr>\n";
      }
      *this << "</table>\n";
    }
    *this << "<h3 id=\"" << kUnreadableAnchor << "\">" << kUnreadableTitle << "</h3>\n";
    const std::vector<size_t>& rows = model.unreadableRows();
    if (rows.empty())
      *this << "<p class=\"none\">None.</p>\n";
    for (size_t i = 0; i < rows.size() && i < AttentionList::kKept; ++i)
      *this << (i > 0 ? ", " : rows.size() == 1 ? "<p>Row " : "<p>Rows ") << rows[i];
    if (rows.size() > AttentionList::kKept)
      *this << ", and " << rows.size() - AttentionList::kKept << " more";
    if (!rows.empty())
      *this << "</p>\n";
  }

  void Computers(const ReportModel& model) {
    *this << "<h2>Per computer</h2>\n<table>\n"
          << "<tr><th>Computer</th><th class=\"n\">Runs</th><th>Last run</th></tr>\n";
    for (const ComputerRuns& computer : model.Computers()) {
      *this << "<tr><td>" << Text{computer.name} << "</td><td class=\"n\">" << computer.runs
            << "</td><td class=\"t\">" << Text{computer.last} << "</td></tr>\n";
    }
    *this << "</table>\n";
  }

  void Legend() {
    *this << "<h2>What the outcomes mean</h2>\n<table>\n";
    for (size_t outcome = 0; outcome < kRunOutcomes; ++outcome) {
      *this << "<tr><td class=\"" << kClasses[outcome] << "\">"
            << OutcomeName(static_cast<RunOutcome>(outcome)) << "</td><td>"
            << Meaning(static_cast<RunOutcome>(outcome)) << "</td></tr>\n";
    }
    *this << "</table>\n";
  }

  void End() {
    *this << "</body></html>\n";
    Flush();
  }

 private:
  Page& operator<<(std::string_view markup) {
    Append(markup);
    return *this;
  }
  Page& operator<<(const char* markup) { return *this << std::string_view(markup); }
  Page& operator<<(const std::string& markup) { return *this << std::string_view(markup); }
  template <typename Number, typename = std::enable_if_t<std::is_integral_v<Number>>>
  Page& operator<<(Number number) {
    char digits[24];
    return *this << std::string_view(digits,
                                     std::to_chars(digits, digits + 24, number).ptr - digits);
  }

  // The model's texts are UTF-8 already.
  Page& operator<<(Text text) { return Escape(text.text); }

  // Our own text, in the program's code page.
  Text Ours(const std::string& text) {
    converted_ = AnsiToUtf8(text);
    return Text{converted_};
  }

  // The text with & < > " ' as entities and control characters as U+FFFD, C1's among
  // them; what lies between them goes in at once.
  Page& Escape(std::string_view text) {
    for (;;) {
      size_t special = 0;
      while (special < text.size() && !IsSpecial(text[special]))
        ++special;
      Append(text.substr(0, special));
      if (special == text.size())
        return *this;
      auto byte = static_cast<unsigned char>(text[special]);
      if (byte == 0xC2) {  // C2 80 to C2 9F are the C1 controls
        bool control = special + 1 < text.size() &&
                       static_cast<unsigned char>(text[special + 1]) >= 0x80 &&
                       static_cast<unsigned char>(text[special + 1]) < 0xA0;
        Append(control ? std::string_view(kReplacement) : std::string_view("\xC2"));
        text.remove_prefix(special + (control ? 2 : 1));
        continue;
      }
      if (byte < 0x20 || byte == 0x7F) {
        Append(kReplacement);
        text.remove_prefix(special + 1);
        continue;
      }
      switch (text[special]) {
        case '&':
          Append("&amp;");
          break;
        case '<':
          Append("&lt;");
          break;
        case '>':
          Append("&gt;");
          break;
        case '"':
          Append("&quot;");
          break;
        default:
          Append("&#39;");
      }
      text.remove_prefix(special + 1);
    }
  }

  // A cell: its outcome's colour and word, where and on what day, the aborted session that
  // its run set aside, and in its title when, where and what.
  void CellHtml(const Happening& shown) {
    *this << "<td class=\"" << ClassOf(shown.outcome) << "\" title=\"" << Text{shown.time} << " on "
          << Text{shown.computer};
    if (!shown.message.empty())
      *this << ": " << Text{shown.message};
    *this << "\">" << OutcomeName(shown.outcome) << "<br><span class=\"where\">"
          << Text{shown.computer} << " " << Text{DateOf(shown.time)} << "</span>";
    if (!shown.setAside.empty()) {
      *this << "<br><span class=\"history\">not converted, set aside as " << Text{shown.setAside}
            << ", then " << OutcomeName(shown.outcome) << "</span>";
    }
    *this << "</td>";
  }

  // The page is written in pieces of kPiece bytes: a page of thousands of cells is never
  // held whole, and its memory is the same few pages over and over. The piece so far is
  // the first `used_` bytes of `html_`.
  static constexpr size_t kPiece = size_t{64} * 1024;
  void Append(std::string_view text) {
    if (text.size() > html_.size() - used_)
      Flush();
    if (text.size() > html_.size()) {
      write_(text);
      return;
    }
    std::memcpy(&html_[used_], text.data(), text.size());
    used_ += text.size();
  }
  void Flush() {
    write_(std::string_view(html_.data(), used_));
    used_ = 0;
  }

  const WritePiece& write_;
  std::string html_;
  size_t used_ = 0;
  std::string converted_;
};

}  // namespace

void ReportPage(const ReportModel& model, const std::string& journal, const std::string& madeAt,
                const WritePiece& write) {
  Page page(write);
  page.Head(journal);
  page.Heading(model, journal, madeAt);
  page.Grids(model);
  page.NeedsAttention(model);
  page.Computers(model);
  page.Legend();
  page.End();
}
