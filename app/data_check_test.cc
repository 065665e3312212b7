#include "app/data_check.h"
#include "app/set_aside.h"

#include <gtest/gtest.h>

#include "fake_file_system.h"

namespace {

// Files in memory: those `there`, and those the file system cannot tell of.
FakeFileSystem Files(const std::vector<std::string>& there,
                     const std::vector<std::string>& cannotTell) {
  FakeFileSystem files;
  for (const std::string& path : there)
    files.files[path] = "";
  files.cannotTell.insert(cannotTell.begin(), cannotTell.end());
  return files;
}

}  // namespace

// After E-Run, a file system that cannot tell ends the run as not checked: a share briefly
// offline must not read as a lost session.
TEST(DataOutcomeStage, WhatBecameOfTheData) {
  const DataFiles data{"d.txt", "d.edat"};
  struct Row {
    std::vector<std::string> there, cannotTell;
    DataFound found;
    std::string line;
  } rows[] = {
      {{"d.txt", "d.edat"}, {"d.txt"}, DataFound::kSaved, "Data saved: d.edat"},
      {{"d.txt"},
       {},
       DataFound::kNotConverted,
       "Data not converted: d.txt (the experiment ended early; E-Recovery can convert it)"},
      {{}, {}, DataFound::kNoData, "No data file written: d.txt"},
      {{"d.txt"}, {"d.edat"}, DataFound::kCannotTell, "Couldn't check the data file: d.edat"},
      {{}, {"d.txt"}, DataFound::kCannotTell, "Couldn't check the data file: d.txt"},
  };
  for (const Row& row : rows) {
    FakeFileSystem files = Files(row.there, row.cannotTell);
    RunLog log([](const std::string&) {});
    DataOutcome outcome = DataOutcomeStage(data, files, log);
    EXPECT_EQ(row.found, outcome.found) << row.line;
    EXPECT_EQ(row.line, outcome.line);
  }
}

// Before E-Run, a file that the file system cannot tell of refuses the run, as one that is
// there does: either may hold a participant's data. -A sets aside only an aborted session's.
TEST(DataFilesFreeStage, RefusesWhatMayBeThere) {
  const DataFiles data{"d/x.txt", "d/x.edat"};
  struct Row {
    std::vector<std::string> there, cannotTell;
    std::string refusal;
    bool setAside = false;
    bool held = false;  // another run holds the rewritten script
  } rows[] = {
      {{"d/x.txt"}, {}, "Data file exists: d/x.txt"},
      {{"d/x.txt"}, {}, "", true},
      {{"d/x.txt"}, {}, "Couldn't replace d/x_t.ebs: another run is using it", true, true},
      {{"d/x.txt", "d/x.edat"}, {}, "Data file exists: d/x.edat", true},
      {{"d/other"}, {}, ""},
      {{"d/x.edat"}, {}, "Data file exists: d/x.edat"},
      {{"d/other"}, {"d/x.txt"}, "Couldn't check the data file: d/x.txt"},
      {{"d/other"}, {"d/x.edat"}, "Couldn't check the data file: d/x.edat"},
      {{}, {"d/"}, "Couldn't check the data file: d/x.txt"},
      {{}, {}, "Data folder missing: d"},
  };
  for (const Row& row : rows) {
    FakeFileSystem files = Files(row.there, row.cannotTell);
    if (row.held)
      files.held.insert("d/x_t.ebs");
    RunLog log([](const std::string&) {});
    EXPECT_EQ(row.setAside && row.refusal.empty(),
              DataFilesFreeStage(data, files, "d/x_t.ebs", row.setAside, log));
    EXPECT_EQ(row.refusal, log.firstRefusal()) << row.refusal;
  }
  FakeFileSystem files = Files({"d/x.txt"}, {});
  RunLog log([](const std::string&) {});
  EXPECT_FALSE(DataFilesFreeStage({"d/x.txt", ""}, files, "", true, log));  // saved: no convert
}

// -A: the lowest free name beside the data file, never one taken; "Couldn't set aside" when
// the move fails or the file system cannot tell.
TEST(SetAsideDataFile, TheFirstFreeName) {
  struct Row {
    std::string dataFile;
    std::vector<std::string> there, cannotTell;
    bool dryRun, failMove;
    std::string line;
  } rows[] = {
      {"d.x/s-1", {}, {}, false, false, "Set aside: d.x/s-1 as d.x/s-1.aborted-1"},
      {"d/s.1.t",
       {"d/s.1.aborted-1.t"},
       {},
       false,
       false,
       "Set aside: d/s.1.t as d/s.1.aborted-2.t"},
      {"d/s.t", {"d/s.aborted-1.t"}, {}, true, false, "Would set aside: d/s.t as d/s.aborted-2.t"},
      {"d/s.t", {}, {"d/s.aborted-1.t"}, true, false, "Couldn't set aside d/s.t"},
      {"d/s.t", {}, {}, false, true, "Couldn't set aside d/s.t"},
  };
  for (const Row& row : rows) {
    FakeFileSystem files = Files(row.there, row.cannotTell);
    files.files[row.dataFile] = "aborted";
    files.failRename = row.failMove;
    std::string line;
    EXPECT_EQ(row.line[0] != 'C', SetAsideDataFile(files, row.dataFile, row.dryRun, &line));
    EXPECT_EQ(row.line, line);
    EXPECT_EQ(row.dryRun || row.line[0] == 'C', files.files.count(row.dataFile) == 1) << line;
  }
}
