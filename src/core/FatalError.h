#pragma once
// The one way a run ends early. Code below `main` never ends the process itself: it throws a
// FatalError carrying the exit status and the report to print, so that every destructor runs (and
// the temporary files of unfinished outputs are removed) before `main` prints it and returns.
#include <exception>
#include <string>
#include <utility>

class FatalError : public std::exception {
 public:
  // How the message reaches the user.
  enum class Report {
    kNone,     // already printed (the help text)
    kError,    // "ERROR!!! " + message on standard error
    kWarning,  // "WARNING!!! " + message on standard output
    kPlain,    // the message alone, as a line on standard error
  };

  FatalError(Report report, std::string message, bool goodbye = false, int status = 1)
      : _report(report), _message(std::move(message)), _goodbye(goodbye), _status(status) {}

  // "ERROR!!! " + message, then, with `goodbye`, the goodbye banner; status 1.
  static FatalError error(std::string message, bool goodbye = false) {
    return FatalError(Report::kError, std::move(message), goodbye);
  }
  // The message as it stands, on standard error; status 1.
  static FatalError plain(std::string message) { return FatalError(Report::kPlain, std::move(message)); }
  // Nothing more to print (the text was printed before throwing); status 1.
  static FatalError silent() { return FatalError(Report::kNone, std::string()); }

  const char* what() const noexcept override { return _message.c_str(); }
  Report report() const { return _report; }
  const std::string& message() const { return _message; }
  bool goodbye() const { return _goodbye; }
  int status() const { return _status; }

 private:
  Report _report;
  std::string _message;
  bool _goodbye;
  int _status;
};
