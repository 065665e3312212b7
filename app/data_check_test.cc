#include "app/data_check.h"

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
// there does: either may hold a participant's data.
TEST(DataFilesFreeStage, RefusesWhatMayBeThere) {
  const DataFiles data{"d/x.txt", "d/x.edat"};
  struct Row {
    std::vector<std::string> there, cannotTell;
    std::string refusal;
  } rows[] = {
      {{"d/other"}, {}, ""},
      {{"d/x.edat"}, {}, "Data file exists: d/x.edat"},
      {{"d/other"}, {"d/x.txt"}, "Couldn't check the data file: d/x.txt"},
      {{"d/other"}, {"d/x.edat"}, "Couldn't check the data file: d/x.edat"},
      {{}, {"d/"}, "Couldn't check the data file: d/x.txt"},
      {{}, {}, "Data folder missing: d"},
  };
  for (const Row& row : rows) {
    FakeFileSystem files = Files(row.there, row.cannotTell);
    RunLog log([](const std::string&) {});
    DataFilesFreeStage(data, files, log);
    EXPECT_EQ(row.refusal, log.firstRefusal()) << row.refusal;
  }
}
