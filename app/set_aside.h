#ifndef TARVO_APP_SET_ASIDE_H_
#define TARVO_APP_SET_ASIDE_H_

#include <string>

#include "platform/file_system.h"

// -A: an aborted session's data file, which E-Recovery could still convert, moved aside
// under a free name beside it, so that the session can be run again and nothing is lost.

/// The name that `dataFile` is set aside as on the `n`th try: "<stem>.aborted-<n><ext>"
/// beside it ("x-5-1.aborted-2.txt"); a file name without an extension gets no extension.
std::string SetAsideName(const std::string& dataFile, int n);

/// Moves `dataFile` to the first SetAsideName from 1 on that is free, never replacing a
/// file; with `dryRun`, only finds that name. True with "Set aside: <old> as <new>" (or
/// "Would set aside: ...") in `line`; false with "Couldn't set aside <old>" when the move
/// fails or the file system cannot tell whether a name is free.
bool SetAsideDataFile(FileSystem& files, const std::string& dataFile, bool dryRun,
                      std::string* line);

#endif  // TARVO_APP_SET_ASIDE_H_
