// The reports of a folder (a share): every file in it, but links, which are not followed, and files whose
// first line is not a report's. The system calls are in report_folder_win32.cpp.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "console/summary_rows.h"

struct FolderReading {
  std::string problem;  // set when the folder could not be listed (UTF-8)
  std::vector<MachineRow> reports;
  size_t otherFiles = 0;  // files that are not reports, links passed over, files that could not be read
};

FolderReading readReportFolder(const std::wstring& folder);
