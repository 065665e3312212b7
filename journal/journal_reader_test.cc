#include "journal/journal_reader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "fake_file_system.h"

namespace {

// The journal `text`, locked for reading.
struct Opened {
  explicit Opened(const std::string& text) {
    files.files["J.csv"] = text;
    files.OpenLocked("J.csv", LockFor::kReading, &file);
  }
  FakeFileSystem files;
  std::unique_ptr<LockedFile> file;
};

// What a reader makes of `text`: "<row> <event> <data file>" for each row read, "<row> ?"
// for one that cannot be read, or the failure line.
std::string Read(const std::string& text) {
  Opened opened(text);
  JournalReader reader(*opened.file);
  if (!reader.ReadHeader())
    return reader.Failure("J.csv");
  std::string read;
  for (auto status = reader.Next(); status != JournalReader::Status::kEnd; status = reader.Next()) {
    read += std::to_string(reader.entry().row());
    if (status == JournalReader::Status::kRow) {
      read += std::string(" ") + EventName(reader.entry().event()) + " " +
              std::string(reader.entry().Field(JournalColumn::kDataFile));
    } else {
      read += " ?";
    }
    read += "|";
  }
  return read;
}

// The rows that can be read, "<row> <event> <data file>|" each; a later part's after
// "+<the rows before it>:".
class Taken : public PartRows {
 public:
  void Take(const JournalEntry& entry) override {
    text += std::to_string(entry.row()) + " " + EventName(entry.event()) + " " +
            std::string(entry.Field(JournalColumn::kDataFile)) + "|";
  }
  std::unique_ptr<PartRows> Later() const override { return std::make_unique<Taken>(); }
  void Join(PartRows& later, size_t rowsBefore) override {
    text += "+" + std::to_string(rowsBefore) + ":" + static_cast<Taken&>(later).text;
  }
  std::string text;
};

// The rows read in two parts at once, then how many cannot be read, the first of them, and
// the journal's text.
std::string ReadInTwo(const std::string& text) {
  Opened opened(text);
  JournalReader reader(*opened.file);
  if (!reader.ReadHeader())
    return "no header";
  Taken taken;
  PartsRead parts = ReadInParts(reader, taken, 0);
  EXPECT_TRUE(parts.split) << text;
  return taken.text + std::to_string(reader.unreadable()) + " from " +
         std::to_string(reader.firstUnreadable()) + (reader.header().utf8() ? " utf8" : "") +
         (parts.read ? "" : " failed");
}

// The rows' numbers and data files, in the journal's order, however many parts read them.
// The part whose first row has the data file `waitAt` waits there until three more parts
// than the first two have begun, so that the other processor takes from its rows.
class Numbered : public PartRows {
 public:
  Numbered(std::atomic<int>* begun, std::string waitAt)
      : begun_(begun), waitAt_(std::move(waitAt)) {}
  void Take(const JournalEntry& entry) override {
    std::string dataFile(entry.Field(JournalColumn::kDataFile));
    if (rowsTaken_++ == 0) {
      ++*begun_;
      for (int waited = 0; dataFile == waitAt_ && *begun_ < 5 && waited < 5000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      if (dataFile == waitAt_)  // for a part too many, which a wrong look at the part takes
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    rows.emplace_back(entry.row(), dataFile);
  }
  std::unique_ptr<PartRows> Later() const override {
    return std::make_unique<Numbered>(begun_, waitAt_);
  }
  void Join(PartRows& later, size_t rowsBefore) override {
    for (const auto& [row, dataFile] : static_cast<Numbered&>(later).rows)
      rows.emplace_back(row + rowsBefore, dataFile);
  }
  std::vector<std::pair<size_t, std::string>> rows;

 private:
  std::atomic<int>* begun_;
  const std::string waitAt_;
  size_t rowsTaken_ = 0;
};

}  // namespace

// Two readers at once, each from a line on, read what one does; the second's rows are
// numbered after the first's lines.
TEST(JournalReader, ReadsInTwoParts) {
  const std::string header = "run,time,computer,data_file,event\r\n";
  struct Row {
    std::string text;
    std::string read;
  } rows[] = {
      {header + "r,t,c,a,saved\r\nr,t,c,b,saved\r\nr,t,c,c,saved\r\nr,t,c,d,saved\r\n",
       "2 saved a|3 saved b|+3:1 saved c|2 saved d|0 from 0"},
      // A Macintosh's line ends, with a LF after one of them, as an editor may leave it.
      {"run,time,computer,data_file,event\rr,t,c,a,saved\rx\r\nr,t,c,b,saved\r",
       "2 saved a|+3:1 saved b|1 from 3"},
      // The middle in a line too long to be read: the second part begins after it.
      {header + "r,t,c,a,saved\r\n" + std::string(300000, 'x') + "\r\nr,t,c,b,saved\r\n",
       "2 saved a|+3:1 saved b|1 from 3"},
      // The text is the first part's where it tells, else the second's.
      {header + "r,t,c,a,saved\r\n\x1Ar,t,c,b,saved\r\nr,t,c,\xC3\xA4,saved\r\n",
       "2 saved a|3 saved b|+3:1 saved \xC3\xA4|0 from 0 utf8"},
      {header + "r,t,c,\xE4,saved\r\n\"\r\nr,t,c,a,saved\r\nr,t,c,b,saved\r\nr,t,c,\xC3\xA4,"
                "saved\r\n\"\r\n",
       "2 saved \xE4|4 saved a|5 saved b|+5:1 saved \xC3\xA4|2 from 3"},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.read, ReadInTwo(row.text)) << row.text;
}

// The processor done first with its part takes half of what the other has still to read,
// again and again, whichever that is: the rows are still those of one read, in its order and
// numbers.
TEST(JournalReader, TakesFromTheOtherPart) {
  std::string text = "run,time,computer,data_file,event\n";
  std::vector<std::pair<size_t, std::string>> expected;
  for (size_t row = 2; text.size() < (size_t{1} << 20); ++row) {
    text += "r,t,c," + std::to_string(row) + ",saved" + std::string(row % 7, ' ') + "\n";
    expected.emplace_back(row, std::to_string(row));
  }
  Opened opened(text);
  // The first part's first row, and the second's: the first that begins after the middle.
  size_t rows = text.find('\n') + 1;
  size_t second = text.find('\n', rows + (text.size() - rows) / 2) + 1 + 6;  // after "r,t,c,"
  std::string secondFirst = text.substr(second, text.find(',', second) - second);
  for (const std::string& waitAt : {std::string("2"), secondFirst}) {
    std::atomic<int> begun{0};
    JournalReader reader(*opened.file);
    ASSERT_TRUE(reader.ReadHeader());
    Numbered numbered(&begun, waitAt);
    EXPECT_TRUE(ReadInParts(reader, numbered, 0).read);
    EXPECT_GE(begun, 5) << waitAt;
    EXPECT_EQ(expected, numbered.rows) << waitAt;
    EXPECT_EQ(expected.size() + 1, reader.lines()) << waitAt;
  }
}

TEST(JournalReader, ReadsWhatSpreadsheetsLeave) {
  const std::string header = "run,time,computer,data_file,event\r\n";
  const std::string tooLong(300000, 'x');
  struct Row {
    std::string text;
    std::string read;
  } rows[] = {
      {"", ""},
      {"\xEF\xBB\xBF", ""},
      {header + "r,t,c,a.edat,saved\r\n\r\nr,t,c,b,STARTED\n", "2 saved a.edat|4 started b|"},
      // The separator and the order of columns are the header's; its own columns are kept.
      {"\xEF\xBB\xBF"
       "event;note;Data_File ;run;computer;time\r\nsaved;x,y;a.edat;r;c;t\r\n",
       "2 saved a.edat|"},
      {"event\ttime\trun\tcomputer\tdata_file\nended\tt\tr\tc\t\"a\tb\"\n", "2 ended a\tb|"},
      // A Macintosh's line ends; a quote left open ends with its line.
      {"run,time,computer,data_file,event\rr,t,c,\"a.edat,saved\rr,t,c,b,saved\r",
       "2 ?|3 saved b|"},
      {header + ",,,,\r\nr,t,c,a,saved,\r\nr,t,c,a,saved,x\r\n,t,c,a,saved\r\nr,t,c,a,done\r\n" +
           tooLong + "\r\nr,t,c,b,no data",
       "3 saved a|4 ?|5 ?|6 ?|7 ?|8 no data b|"},
      // A Ctrl-Z at the start of a line, as `copy` leaves it, is no part of the row.
      {header + "\x1Ar,t,c,a.edat,saved\r\n\x1A", "2 saved a.edat|"},
      {"run,time,computer,event\r\n",
       "Couldn't read journal J.csv: its header has no column data_file"},
      // A first line that fills the first block is no header, whatever follows.
      {tooLong + "\r\n" + header,
       "Couldn't read journal J.csv: its first line is not the journal's header"},
      {"\r\n" + header, "Couldn't read journal J.csv: its first line is not the journal's header"},
      {"Subject,Session\r\n1,1\r\n",
       "Couldn't read journal J.csv: its first line is not the journal's header"},
  };
  for (const Row& row : rows)
    EXPECT_EQ(row.read, Read(row.text)) << row.text;
}

// A journal's text is UTF-8 when its first bytes that are not ASCII are valid UTF-8, as
// LibreOffice and today's Notepad save one; a row that is not valid UTF-8 then reads in the
// code page, as rows an older Tarvo appended do, and a row in UTF-8 reads so in a journal
// in the code page, as `copy a.csv+b.csv` joins them.
TEST(JournalReader, TheJournalsText) {
  const std::string header = "run,time,computer,data_file,event\r\n";
  const std::string ascii = "r,t,c,a.edat,saved\r\n";
  const std::string utf8 = "r,t,c,\xC3\xA4.edat,saved\r\n";
  const std::string ansi = "r,t,c,\xE4.edat,saved\r\n";
  struct Row {
    std::string journal;
    std::string rows;  // for each row: "u" in UTF-8, "a" in the code page
    bool utf8;         // what the journal is written in
  } rows[] = {
      {header + ascii + utf8 + ansi, "auA", true},
      {header + ascii + ansi + utf8, "aAu", false},
      {"\xEF\xBB\xBF" + header + ansi, "A", true},
      {header + ascii, "a", false},
  };
  for (const Row& row : rows) {
    Opened opened(row.journal);
    JournalReader reader(*opened.file);
    ASSERT_TRUE(reader.ReadHeader());
    std::string read;
    while (reader.Next() == JournalReader::Status::kRow) {
      const JournalEntry& entry = reader.entry();
      read += entry.ascii() ? "a" : entry.utf8() ? "u" : "A";
    }
    EXPECT_EQ(row.rows, read) << row.journal;
    EXPECT_EQ(row.utf8, reader.header().utf8()) << row.journal;
  }
}
