#pragma once
// The options of a run as the user wrote them: the command-line arguments and the option files
// they name, read without any rewriting of names or values.
#include <string>
#include <vector>

// One option name and what was given to it.
struct GivenOption {
  std::string name;
  std::string value;   // the last value given
  unsigned times = 0;  // how many times a value was given
};

// Deepest nesting of option files: a file named on the command line is at level 1.
constexpr unsigned kMaxOptionFileDepth = 8;

// Reads `arguments` (the process arguments without the program name), in order.
// - An argument is split at its first "=": the name is the text before it, the value all the text
//   after it, both exactly as written. An argument without "=" is reported and ignored; an empty
//   or blank argument is skipped silently.
// - "param=FILE" and "params=FILE" read the option file FILE at that place, so that a later
//   option overrides the file's and the file's override earlier ones. One option per line; blank
//   lines and lines whose first non-blank character is "#" are skipped; blanks (and a carriage
//   return) around the line and around its first "=" are dropped; the value is otherwise the
//   rest of the line as written. Relative names are taken from the working directory.
// The reading is reported as it goes on standard output ("Parsing file FILE for options." and the
// warning for an argument or line without "="). Throws FatalError for an option file that cannot
// be opened or read, one that includes itself directly or through others, or files nested deeper
// than kMaxOptionFileDepth.
// Returns every option name in the order of its first appearance, with its last value.
std::vector<GivenOption> readGivenOptions(const std::vector<std::string>& arguments);
