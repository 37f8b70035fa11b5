// The questions and notices the core puts to the user. Only ever called on the thread that
// drives the core (the window's GUI thread, the command line's main thread), never by a job.
#pragma once

#include <string>

class UserPrompts {
 public:
  virtual ~UserPrompts() = default;

  virtual void ShowInformation(const std::string& text) = 0;  // notice with an OK button
  // A file AddFiles could not list, with the reason; the window's notice runs the path and
  // its phrase together, as it always has.
  virtual void FileRefused(const std::string& path, const std::string& reason) {
    ShowInformation(path + "is not supported.\n" + reason);
  }
  // The run refused the stored format ("This MP3 format is not supported."); `detail` names
  // the refused values and the settings keys that choose them, for hosts with room for it.
  virtual void FormatRefused(const std::string& text, const std::string& /*detail*/) {
    ShowInformation(text);
  }
  virtual bool AskYesNo(const std::string& text) = 0;
  virtual void ShowError(const std::string& text) = 0;
};
