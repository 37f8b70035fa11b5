// What the windows need from the skin engine: a window is prepared, then skinned with one of
// the skin's form definitions ("From" for the main window, "windows" for every dialog).
// Failures throw SkinError with a text that describes them.
#pragma once

#include <stdexcept>
#include <string>

class QWidget;

class SkinError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ISkinEngine {
 public:
  virtual ~ISkinEngine() = default;
  virtual void LoadSkinFile(const std::string& path) = 0;
  virtual void PrepareWindow(QWidget* window) = 0;
  virtual void ApplyWindowSkin(QWidget* window, const std::string& formName) = 0;
};
