// The questions and notices the core puts to the user. Only ever called on the thread that
// drives the core (the window's GUI thread, the command line's main thread), never by a job.
#pragma once

#include <string>

class UserPrompts {
 public:
  virtual ~UserPrompts() = default;

  virtual void ShowInformation(const std::string& text) = 0;  // notice with an OK button
  virtual bool AskYesNo(const std::string& text) = 0;
  virtual void ShowError(const std::string& text) = 0;
};
