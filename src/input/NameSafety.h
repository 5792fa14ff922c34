#pragma once
// Names that end up in the tab-separated output files (contig, individual, population and focal
// species names) must not hold a tab or a line end: a row would get more fields than its header.
#include <string>

namespace mrv {

// The end of every message refusing such a name.
inline const char* const kTableNamesRule =
    "; names written into the tab-separated output files cannot hold tabs or line ends.";

// What makes `name` unfit for a tab-separated file, as the middle of a sentence ("holds a tab",
// "holds a carriage return", ...); empty when it is fit. `ends_line` tells that the name ends the
// line it was read from: a carriage return there is a Windows line end (CRLF), and said so.
std::string nameBreakingTables(const std::string& name, bool ends_line);

// True when `text` ends with `tail`.
bool endsWith(const std::string& text, const std::string& tail);

// `name` with its tabs, carriage returns and line feeds written \t, \r and \n, so that a message
// quoting it stays on one readable line.
std::string visibleName(const std::string& name);

}  // namespace mrv
