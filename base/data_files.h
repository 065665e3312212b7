#ifndef TARVO_BASE_DATA_FILES_H_
#define TARVO_BASE_DATA_FILES_H_

#include <string>

/// The files of a run's data, absolute: the data file the experiment writes, and the .edat
/// file it converts it to, when the script converts ("" otherwise). A data file that cannot
/// be worked out is "".
struct DataFiles {
  std::string dataFile;
  std::string converted;

  /// The file the participant's data end up in: the converted one, else the data file.
  const std::string& Final() const { return converted.empty() ? dataFile : converted; }
};

#endif  // TARVO_BASE_DATA_FILES_H_
