#include "app/data_check.h"

#include <gtest/gtest.h>

#include "fake_file_system.h"

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
    FakeFileSystem files;
    for (const std::string& path : row.there)
      files.files[path] = "";
    files.cannotTell.insert(row.cannotTell.begin(), row.cannotTell.end());
    RunLog log([](const std::string&) {});
    DataOutcome outcome = DataOutcomeStage(data, files, log);
    EXPECT_EQ(row.found, outcome.found) << row.line;
    EXPECT_EQ(row.line, outcome.line);
  }
}
