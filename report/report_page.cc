#include "report/report_page.h"

#include <algorithm>
#include <type_traits>

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
    "p.none{color:#666;margin:2px 0}p.more{color:#666;margin:2px 0}"
    ".saved{background-color:#a8dba8}.not-converted{background-color:#ffd08a}"
    ".no-data{background-color:#f4a6a6}.running{background-color:#9ecbf0}"
    ".interrupted{background-color:#d7b4e8}.ended{background-color:#f5ef9a}"
    ".failed{background-color:#e58fb8}.refused{background-color:#d6d6d6}";

const char* const kClasses[kRunOutcomes] = {"saved",       "not-converted", "no-data", "running",
                                            "interrupted", "ended",         "failed",  "refused"};

// What each outcome means, one line each, for the legend.
const char* const kMeanings[kRunOutcomes] = {
    "the data are saved: the converted file, or the data file of a script that does not "
    "convert, is there",
    "aborted: only the data file is there, which E-Recovery can convert",
    "no data file was written",
    "started and not ended: its computer's latest run, begun less than 12 hours ago",
    "started and never ended: its computer has started another run since, or it is older "
    "than 12 hours",
    "E-Run ended, but the data could not be checked",
    "E-Run did not start, or the rewritten script could not be saved: the experiment did not run",
    "Tarvo refused the run before the experiment started; nothing else happened here",
};

const char* const kAttentionTitles[static_cast<size_t>(Attention::kCount)] = {
    "Data files with two saved rows",
    "Aborted sessions without a later save (E-Recovery can convert them)",
    "Interrupted runs, and open runs older than 12 hours",
    "Runs for Subject 0",
    "Runs whose data were not checked",
    "Refusals, by their message",
};

// The characters that HTML writes as entities in text and in attribute values.
bool IsSpecial(char c) {
  return c == '&' || c == '<' || c == '>' || c == '"' || c == '\'';
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
  Page(bool journalInUtf8, size_t cells) : journalInUtf8_(journalInUtf8) {
    html_.reserve(size_t{16} * 1024 + cells * 160);
  }

  void Head(const std::string& journal) {
    *this << "<!DOCTYPE html>\n<html><head>\n"
          << "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
          << "<meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge\">\n<title>Study report: "
          << Ours(journal) << "</title>\n<style type=\"text/css\">" << kStyle
          << "</style>\n</head><body>\n";
  }

  void Heading(const ReportModel& model, const std::string& journal, const std::string& madeAt) {
    *this << "<h1>Study report</h1>\n<table>\n";
    *this << "<tr><th>Journal</th><td>" << Ours(journal) << "</td></tr>\n";
    *this << "<tr><th>Made</th><td>" << Ours(madeAt) << "</td></tr>\n";
    *this << "<tr><th>First row</th><td>" << Text{model.firstTime()} << "</td></tr>\n";
    *this << "<tr><th>Last row</th><td>" << Text{model.lastTime()} << "</td></tr>\n";
    *this << "<tr><th>Rows</th><td>" << model.rows() << "</td></tr>\n</table>\n";
    *this << "<table>\n<tr><th>Outcome</th><th class=\"n\">Cells</th></tr>\n";
    for (size_t outcome = 0; outcome < kRunOutcomes; ++outcome) {
      *this << "<tr><td class=\"" << kClasses[outcome] << "\">"
            << OutcomeName(static_cast<RunOutcome>(outcome)) << "</td><td class=\"n\">"
            << model.Count(static_cast<RunOutcome>(outcome)) << "</td></tr>\n";
    }
    *this << "</table>\n";
  }

  // One row per Subject, one column per Session, and the participant's next session.
  void Grid(const ScriptGrid& grid) {
    *this << "<h2>" << Text{grid.name} << "</h2>\n";
    std::vector<int32_t> sessions = grid.Sessions();
    if (!grid.empty()) {
      *this << "<table>\n<tr><th>Subject</th>";
      for (int32_t session : sessions)
        *this << "<th>Session " << session << "</th>";
      *this << "<th>Next session</th></tr>\n";
      for (int32_t subject : grid.Subjects()) {
        *this << "<tr><th class=\"n\">" << subject << "</th>";
        for (int32_t session : sessions) {
          const Cell* cell = grid.Find(subject, session);
          if (cell == nullptr)
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
        CellHtml(cell);
        *this << "</tr>\n";
      }
      *this << "</table>\n";
    }
  }

  void NeedsAttention(const ReportModel& model) {
    *this << "<h2>Needs attention</h2>\n";
    for (size_t kind = 0; kind < static_cast<size_t>(Attention::kCount); ++kind) {
      *this << "<h3>" << kAttentionTitles[kind] << "</h3>\n";
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
    *this << "<h3>Rows that cannot be read</h3>\n";
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
            << OutcomeName(static_cast<RunOutcome>(outcome)) << "</td><td>" << kMeanings[outcome]
            << "</td></tr>\n";
    }
    *this << "</table>\n";
  }

  std::string End() {
    *this << "</body></html>\n";
    return std::move(html_);
  }

 private:
  Page& operator<<(std::string_view markup) {
    html_ += markup;
    return *this;
  }
  Page& operator<<(const char* markup) { return *this << std::string_view(markup); }
  template <typename Number, typename = std::enable_if_t<std::is_integral_v<Number>>>
  Page& operator<<(Number number) {
    return *this << std::string_view(std::to_string(number));
  }

  Page& operator<<(Text text) {
    bool ascii = std::all_of(text.text.begin(), text.text.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii || journalInUtf8_)
      return Escape(text.text);
    return Escape(AnsiToUtf8(text.text));
  }

  // Our own text, in the program's code page.
  Text Ours(const std::string& text) {
    converted_ = AnsiToUtf8(text);
    return Text{converted_};
  }

  // The text with & < > " ' as entities; what lies between them goes in at once.
  Page& Escape(std::string_view text) {
    for (;;) {
      size_t special = 0;
      while (special < text.size() && !IsSpecial(text[special]))
        ++special;
      html_.append(text.substr(0, special));
      if (special == text.size())
        return *this;
      switch (text[special]) {
        case '&':
          html_ += "&amp;";
          break;
        case '<':
          html_ += "&lt;";
          break;
        case '>':
          html_ += "&gt;";
          break;
        case '"':
          html_ += "&quot;";
          break;
        default:
          html_ += "&#39;";
      }
      text.remove_prefix(special + 1);
    }
  }

  // A cell: its outcome's colour and word, and in its title when, where and what.
  void CellHtml(const Cell& cell) {
    const Happening& shown = cell.Shown();
    *this << "<td class=\"" << ClassOf(shown.outcome) << "\" title=\"" << Text{shown.time} << " on "
          << Text{shown.computer};
    if (!shown.message.empty())
      *this << ": " << Text{shown.message};
    *this << "\">" << OutcomeName(shown.outcome) << "</td>";
  }

  bool journalInUtf8_;
  std::string html_;
  std::string converted_;
};

}  // namespace

std::string ReportPage(const ReportModel& model, const std::string& journal,
                       const std::string& madeAt, bool journalInUtf8) {
  size_t cells = 0;
  for (const auto& [key, grid] : model.grids())
    cells += grid.size() + grid.others.size();
  Page page(journalInUtf8, cells);
  page.Head(journal);
  page.Heading(model, journal, madeAt);
  for (const auto& [key, grid] : model.grids())
    page.Grid(grid);
  page.NeedsAttention(model);
  page.Computers(model);
  page.Legend();
  return page.End();
}
